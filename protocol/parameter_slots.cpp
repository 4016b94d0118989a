#include "protocol/parameter_slots.h"

#include <cmath>

#include "protocol/lenient_number.h"
#include "serial/byte_exchange.h"

namespace veloris {

namespace {

// The low eight bits of a whole number held in a double, as two's complement would give
// them, for magnitudes far beyond any integer type.
std::int32_t LowEightBits(double whole) {
    double bits = std::fmod(whole, 256.0);
    if (bits < 0) {
        bits += 256.0;
    }
    return static_cast<std::int32_t>(bits);
}

} // namespace

std::string EncodeValue(std::string_view valueText) {
    double v = ReadDecimal(valueText);
    if (!std::isfinite(v)) {
        v = 0.0; // a number too long to hold codes as nothing at all
    }
    const double high = std::floor(v / 256.0);
    const double low = RoundHalfToEven(v - 256.0 * high);
    // Only the low eight bits of each part are coded: a low part that rounds to 256
    // gives 00 with no carry into the high byte.
    return "CC " + HexByte(LowEightBits(high)) + " " + HexByte(LowEightBits(low)) + " DD";
}

std::optional<std::uint16_t> FramedRecordValue(std::span<const std::uint8_t> record) {
    if (record.size() != static_cast<std::size_t>(kRecordSize) || record.front() != kRecordOpen ||
        record.back() != kRecordClose) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(RecordValue(record[1], record[2]));
}

std::string AddressText(std::uint16_t address) {
    return HexByte(address >> 8) + HexByte(address & 0xFF);
}

} // namespace veloris
