#pragma once
// What a read may report for a slot, whatever the line did: up to four record bytes as they
// came, and a value exactly when those are a whole record framed CC ... DD, hh * 256 + ll.

#include <string>

#include "operations/operations.h"

namespace veloris::testing {

// Empty when the slot is as a read may report it; otherwise what is wrong.
inline std::string ReadSlotProblem(const SlotRead& read) {
    const Bytes& r = read.record;
    if (r.size() > 4) {
        return "more than four record bytes";
    }
    const bool framed = r.size() == 4 && r[0] == 0xCC && r[3] == 0xDD;
    if (framed != read.value.has_value()) {
        return framed ? "no value for a whole framed record" : "a value without a framed record";
    }
    if (framed && *read.value != r[1] * 256 + r[2]) {
        return "value " + std::to_string(*read.value) + " is not hh * 256 + ll";
    }
    return "";
}

} // namespace veloris::testing
