#pragma once
// Plain, obviously right readings of the window's texts, written apart from the program's
// own, for the fuzz targets to compare against.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veloris::fuzz {

inline bool IsSkippedBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

inline std::string WithoutBlanks(std::string_view text) {
    std::string kept;
    for (const char c : text) {
        if (!IsSkippedBlank(c)) {
            kept += c;
        }
    }
    return kept;
}

inline std::optional<unsigned> HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return std::nullopt;
}

// The hex digits a text starts with once its blanks are gone.
inline std::string LeadingHexRun(std::string_view text) {
    const std::string kept = WithoutBlanks(text);
    std::string run;
    for (const char c : kept) {
        if (!HexDigit(c)) {
            break;
        }
        run += c;
    }
    return run;
}

// The value of the last `digits` hex digits of the leading run: the low 4 * digits bits.
inline std::uint32_t LastHexDigitsValue(std::string_view text, std::size_t digits) {
    const std::string run = LeadingHexRun(text);
    const std::string tail = run.size() > digits ? run.substr(run.size() - digits) : run;
    std::uint32_t value = 0;
    for (const char c : tail) {
        value = value * 16 + *HexDigit(c);
    }
    return value;
}

// The bytes a hex byte-pair text gives for `count` pairs: the leading spaces dropped before
// each pair, two characters taken, their leading hex digits (blanks ignored) read.
inline std::vector<std::uint8_t> SplitPairs(std::string_view text, int count) {
    std::vector<std::uint8_t> bytes;
    std::size_t at = 0;
    for (int pair = 0; pair < count; ++pair) {
        while (at < text.size() && text[at] == ' ') {
            ++at;
        }
        const std::string_view chars = text.substr(at, 2);
        bytes.push_back(static_cast<std::uint8_t>(LastHexDigitsValue(chars, 2)));
        at += chars.size();
    }
    return bytes;
}

// A text of digits alone, blanks allowed anywhere, and its value; values above 65535 all
// read as 65536, which is enough to tell them apart from the values a record can hold.
inline std::optional<long> PlainWholeNumber(std::string_view text) {
    constexpr long kAboveRecordRange = 65536;
    const std::string kept = WithoutBlanks(text);
    if (kept.empty()) {
        return std::nullopt;
    }
    long value = 0;
    for (const char c : kept) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = std::min(value * 10 + (c - '0'), kAboveRecordRange);
    }
    return value;
}

} // namespace veloris::fuzz
