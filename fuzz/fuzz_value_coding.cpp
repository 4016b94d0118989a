// The coding of a value box into its record, the write's check of that box, and HexByte.
//
// EncodeValue: always "CC hh ll DD", eleven characters, upper-case digits; a whole number
// in the 32-bit range codes modulo 65536; a text the write accepts codes exactly the value
// the check gave.
// WritableValue: accepts exactly the texts of digits alone (blanks anywhere) worth 0 to 65535.
// HexByte: always two upper-case hex digits, the low eight bits of its argument.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/reference_readers.h"
#include "operations/parameters.h"
#include "protocol/lenient_number.h"
#include "protocol/parameter_slots.h"
#include "serial/byte_exchange.h"

using namespace veloris;
using namespace veloris::fuzz;

namespace {

bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void CheckHexByte(std::int32_t value) {
    const std::string text = HexByte(value);
    char reference[3];
    std::snprintf(reference, sizeof reference, "%02X", static_cast<unsigned>(value) & 0xFFu);
    Require(text.size() == 2 && IsUpperHexDigit(text[0]) && IsUpperHexDigit(text[1]),
            "HexByte gives two upper-case hex digits", text);
    Require(text == reference, "HexByte is the low eight bits", text);
}

// The value a record text holds, once its frame and digits are checked.
unsigned RecordTextValue(const std::string& record, const std::string& input) {
    Require(record.size() == 11, "EncodeValue gives eleven characters", input);
    Require(record.compare(0, 3, "CC ") == 0 && record[5] == ' ' &&
                record.compare(8, 3, " DD") == 0,
            "EncodeValue frames the record CC ... DD", input);
    for (const std::size_t at : {3u, 4u, 6u, 7u}) {
        Require(IsUpperHexDigit(record[at]), "EncodeValue writes upper-case hex digits", input);
    }
    return LastHexDigitsValue(record.substr(3, 2) + record.substr(6, 2), 4);
}

void CheckCoding(const std::string& text) {
    const unsigned coded = RecordTextValue(EncodeValue(text), text);

    const auto accepted = WritableValue(text);
    const auto reference = PlainWholeNumber(text);
    const bool referenceAccepts = reference && *reference <= 65535;
    Require(accepted.has_value() == referenceAccepts,
            "the write accepts exactly the whole numbers 0 to 65535", text);
    if (accepted) {
        Require(*accepted == *reference, "the write's check reads the digits", text);
        Require(coded == static_cast<unsigned>(*accepted),
                "an accepted value codes into a record that holds it", text);
    }

    const double read = ReadDecimal(text);
    if (std::isfinite(read) && read == std::floor(read) && std::fabs(read) < 2147483648.0) {
        const auto whole = static_cast<long long>(read);
        const auto modulo = static_cast<unsigned>(((whole % 65536) + 65536) % 65536);
        Require(coded == modulo, "a whole value codes modulo 65536", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= sizeof(std::int32_t)) {
        std::int32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        CheckHexByte(value);
    }
    CheckCoding(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
