#pragma once
// The lenient reading of numbers in the window's texts: blanks, tabs and line feeds
// anywhere are ignored, reading stops at the first character that does not fit, and a
// text that does not begin with a number reads as 0. The decimal point is always ".",
// whatever the locale.

#include <cstdint>
#include <string_view>

namespace veloris {

// True for the characters the reading skips wherever they stand.
constexpr bool IsIgnoredBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// An optional sign, digits, and an optional fraction after ".": "  36 000" -> 36000,
// "12abc" -> 12, "12,5" -> 12, "-1" -> -1, "" -> 0. Very long digit runs may give infinity.
double ReadDecimal(std::string_view text);

// Leading hexadecimal digits in either case: "F894" -> 0xF894, "F8G4" -> 0xF8, "" -> 0.
// Digits past the capacity drop off the top, so the low bits are always right.
std::uint32_t ReadHex(std::string_view text);

} // namespace veloris
