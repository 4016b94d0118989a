#pragma once
// What a read may leave in a slot's boxes, whatever the line did: the data box holds up to
// four " hh" pairs as they came, and the value box is empty unless those are a whole
// record framed CC ... DD, whose value hh * 256 + ll it then shows in plain digits.

#include <string>

#include "operations/window_boxes.h"
#include "protocol/parameter_slots.h"

namespace veloris::testing {

// Empty when the slot's boxes are as a read may leave them; otherwise what is wrong.
inline std::string ReadBoxesProblem(const WindowBoxes& boxes, const ParameterSlot& slot) {
    const std::string data = boxes.text(slot.dataBox);
    const std::string value = boxes.text(slot.valueBox);
    const std::string where = std::string(slot.dataBox) + " \"" + data + "\", " +
                              std::string(slot.valueBox) + " \"" + value + "\"";
    if (data.size() % 3 != 0 || data.size() > 12) {
        return "not up to four pairs: " + where;
    }
    std::vector<int> bytes;
    for (std::size_t at = 0; at < data.size(); at += 3) {
        const std::string digits = data.substr(at + 1, 2);
        if (data[at] != ' ' || digits.find_first_not_of("0123456789ABCDEF") != std::string::npos) {
            return "not a pair: " + where;
        }
        bytes.push_back(std::stoi(digits, nullptr, 16));
    }
    const bool framed = bytes.size() == 4 && bytes[0] == 0xCC && bytes[3] == 0xDD;
    const std::string expected = framed ? std::to_string(bytes[1] * 256 + bytes[2]) : "";
    return value == expected ? "" : "value should be \"" + expected + "\": " + where;
}

} // namespace veloris::testing
