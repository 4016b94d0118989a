// The lenient number reading of the window's texts, decimal and hexadecimal, on any text.
//
// Decimal: never NaN; blanks never change the result; a text of digits alone (blanks and a
// sign allowed) reads as its exact value, correctly rounded for long ones; a text that does
// not start with a number reads as 0.
// Hexadecimal: the result is the value of the last eight hex digits of the leading run,
// so its low 16 bits are those of the last four.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/reference_readers.h"
#include "protocol/lenient_number.h"

using namespace veloris;
using namespace veloris::fuzz;

namespace {

bool StartsLikeANumber(const std::string& kept) {
    std::size_t at = 0;
    if (at < kept.size() && (kept[at] == '+' || kept[at] == '-')) {
        ++at;
    }
    if (at < kept.size() && kept[at] == '.') {
        ++at;
    }
    return at < kept.size() && kept[at] >= '0' && kept[at] <= '9';
}

// "[sign]digits" once the blanks are gone: the value strtod gives, which is correctly
// rounded, and exact up to 2^53.
std::optional<double> SignedDigitsValue(const std::string& kept) {
    std::size_t at = 0;
    if (!kept.empty() && (kept[0] == '+' || kept[0] == '-')) {
        at = 1;
    }
    if (at == kept.size() || kept.find_first_not_of("0123456789", at) != std::string::npos) {
        return std::nullopt;
    }
    return std::strtod(kept.c_str(), nullptr);
}

void CheckDecimal(const std::string& text) {
    const double value = ReadDecimal(text);
    Require(!std::isnan(value), "ReadDecimal is a number or an infinity", text);

    const std::string kept = WithoutBlanks(text);
    const double unblanked = ReadDecimal(kept);
    Require(value == unblanked || (std::isnan(value) && std::isnan(unblanked)),
            "blanks do not change ReadDecimal", text);
    if (!StartsLikeANumber(kept)) {
        Require(value == 0.0, "a text that does not start with a number reads as 0", text);
    }
    if (const auto reference = SignedDigitsValue(kept)) {
        Require(value == *reference, "digits read as their correctly rounded value", text);
    }
    if (const auto whole = PlainWholeNumber(text); whole && *whole <= 65535) {
        Require(value == static_cast<double>(*whole), "a whole number reads exactly", text);
    }
}

void CheckHex(const std::string& text) {
    const std::uint32_t value = ReadHex(text);
    Require(value == LastHexDigitsValue(text, 8), "ReadHex keeps the last eight digits", text);
    Require((value & 0xFFFFu) == LastHexDigitsValue(text, 4),
            "ReadHex's low 16 bits are the last four digits", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckDecimal(text);
    CheckHex(text);
    return 0;
}
