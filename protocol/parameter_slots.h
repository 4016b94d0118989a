#pragma once
// The board's parameter slots: the EEPROM location of each, the four-byte record that holds
// a value there, and the coding of a value into it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace veloris {

// The board's four parameters, in the order every operation handles them.
enum class SlotKey { Sidereal, Guiding, Centring, Tempo };

struct SlotEntry {
    SlotKey key;
    std::string_view keyName; // stable name for files and the command line
    std::uint16_t address;    // of the four-byte record in the board's EEPROM
};

inline constexpr std::array<SlotEntry, 4> kSlots{{
    {SlotKey::Sidereal, "sidereal", 0xF894},
    {SlotKey::Guiding, "guiding", 0xF899},
    {SlotKey::Centring, "centring", 0xF89E},
    {SlotKey::Tempo, "tempo", 0xF8A9},
}};
inline constexpr std::size_t kSlotCount = kSlots.size();

// A parameter record: 0xCC, value high byte, value low byte, 0xDD.
inline constexpr int kRecordSize = 4;
inline constexpr std::uint8_t kRecordOpen = 0xCC;
inline constexpr std::uint8_t kRecordClose = 0xDD;

// The hex byte-pair text of the record holding the value read leniently from valueText,
// e.g. "1000" -> "CC 03 E8 DD". Whole values are coded modulo 65536.
std::string EncodeValue(std::string_view valueText);

// The value a record holds, from its second and third bytes.
inline int RecordValue(int valueHigh, int valueLow) {
    return valueHigh * 256 + valueLow;
}

// The value of a whole record framed CC ... DD; nothing for fewer bytes or another frame,
// whose middle bytes are no value the board holds.
std::optional<std::uint16_t> FramedRecordValue(std::span<const std::uint8_t> record);

// The address as the board tools write it: four upper-case hex digits, e.g. "F894".
std::string AddressText(std::uint16_t address);

} // namespace veloris
