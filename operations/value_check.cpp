#include "operations/value_check.h"

#include "protocol/lenient_number.h"

namespace veloris {

std::optional<int> WritableValue(std::string_view valueText) {
    long value = 0;
    bool anyDigit = false;
    for (const char c : valueText) {
        if (IsIgnoredBlank(c)) {
            continue;
        }
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        anyDigit = true;
        value = value * 10 + (c - '0');
        if (value > kLargestValue) {
            return std::nullopt;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace veloris
