// The value texts a user typed, checked before anything is opened.

#include "operations/parameters.h"
#include "protocol/lenient_number.h"

namespace veloris {

std::optional<std::uint16_t> WritableValue(std::string_view valueText) {
    constexpr long kLargest = 65535;
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
        if (value > kLargest) {
            return std::nullopt;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

CheckedValues CheckValueTexts(const std::array<SlotTexts, kSlotCount>& texts) {
    WriteRequest request;
    std::vector<RefusedValue> refused;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        if (!texts[slot].guardHasText) {
            continue;
        }
        request.values[slot] = WritableValue(texts[slot].value);
        if (!request.values[slot]) {
            refused.push_back({kSlots[slot].key, texts[slot].value});
        }
    }
    if (!refused.empty()) {
        return refused;
    }
    return request;
}

} // namespace veloris
