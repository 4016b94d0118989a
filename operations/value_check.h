#pragma once
// What the write accepts as a value for the board: a whole number from 0 to 65535.
// Blanks, tabs and line feeds are ignored, as the value coding ignores them, so
// "36 000" is 36000; anything else ("", "12abc", "12,5", "100.5", "-1", "70000") is refused.

#include <optional>
#include <string_view>

namespace veloris {

inline constexpr int kLargestValue = 65535;

std::optional<int> WritableValue(std::string_view valueText);

} // namespace veloris
