#include "protocol/lenient_number.h"

#include <charconv>
#include <limits>
#include <optional>
#include <string>

namespace veloris {

namespace {

// Walks a text character by character, stepping over the blanks the reading ignores.
class LenientCursor {
  public:
    explicit LenientCursor(std::string_view text) : text_(text) { skipBlanks(); }

    std::optional<char> peek() const {
        return at_ < text_.size() ? std::optional<char>(text_[at_]) : std::nullopt;
    }
    void advance() {
        ++at_;
        skipBlanks();
    }
    // Takes the next character when it satisfies the test.
    template <typename Test> std::optional<char> take(Test test) {
        const auto c = peek();
        if (c && test(*c)) {
            advance();
            return c;
        }
        return std::nullopt;
    }

  private:
    void skipBlanks() {
        while (at_ < text_.size() && IsIgnoredBlank(text_[at_])) {
            ++at_;
        }
    }
    std::string_view text_;
    std::size_t at_ = 0;
};

constexpr bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<int> HexDigitValue(char c) {
    if (IsDecimalDigit(c)) {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

} // namespace

double ReadDecimal(std::string_view text) {
    // Gather the part that fits, without the blanks, then convert it in one go so the
    // value is correctly rounded (a fraction of .5 must stay exactly .5).
    LenientCursor cursor(text);
    std::string number;
    if (const auto sign = cursor.take([](char c) { return c == '+' || c == '-'; })) {
        number += *sign;
    }
    while (const auto digit = cursor.take(IsDecimalDigit)) {
        number += *digit;
    }
    if (cursor.take([](char c) { return c == '.'; })) {
        number += '.';
        while (const auto digit = cursor.take(IsDecimalDigit)) {
            number += *digit;
        }
    }
    const bool negative = !number.empty() && number.front() == '-';
    const std::size_t signLength =
        (!number.empty() && !IsDecimalDigit(number.front()) && number.front() != '.') ? 1 : 0;
    const std::string_view unsignedPart = std::string_view(number).substr(signLength);
    if (unsignedPart.find_first_of("0123456789") == std::string_view::npos) {
        return 0.0;
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(unsignedPart.data(), unsignedPart.data() + unsignedPart.size(), value,
                        std::chars_format::fixed);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too large for a double, or so small that it underflows.
        const auto integerPart = unsignedPart.substr(0, unsignedPart.find('.'));
        const bool large = integerPart.find_first_not_of('0') != std::string_view::npos;
        value = large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::uint32_t ReadHex(std::string_view text) {
    LenientCursor cursor(text);
    std::uint32_t value = 0;
    while (const auto c = cursor.peek()) {
        const auto digit = HexDigitValue(*c);
        if (!digit) {
            break;
        }
        value = (value << 4) | static_cast<std::uint32_t>(*digit);
        cursor.advance();
    }
    return value;
}

} // namespace veloris
