#pragma once
// The four parameter slots: which row of the window is bound to which EEPROM location,
// the four-byte record that holds a value there, and the coding of a value into it.

#include <array>
#include <cstdint>
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

struct ParameterSlot {
    std::string_view labelName;      // the row label control
    std::string_view rowLabel;       // its text
    std::string_view tooltip;        // its tooltip
    std::string_view addressBox;     // holds the EEPROM address as four hex digits
    std::string_view initialAddress; // the address box's text when the window opens
    std::string_view dataBox;        // the record's bytes as hex pairs
    std::string_view valueBox;       // the value in decimal
    // The box whose text lets the write through: slot 1 is written whenever its value box
    // holds text, slots 2 to 4 only once a read has put a record in their data box.
    std::string_view guardBox;
};

// In the order the operations handle them, top to bottom in the window.
inline constexpr std::array<ParameterSlot, 4> kParameterSlots{{
    {"Label5", "- sidéral ", "Vitesse de suivi sidéral", "Taddr1", "F894", "Tdata1", "TValeur1",
     "TValeur1"},
    {"Label7", "- rattrapage", "Vitesse lente pour autoguidage ou rappel photographique", "Taddr2",
     "F899", "Tdata2", "TValeur2", "Tdata2"},
    {"Label8", "- centrage", "Vitesse lente raquette standard", "Taddr3", "F89E", "Tdata3",
     "Tvaleur3", "Tdata3"},
    {"Label12", "Tempo PV/GV :", "Temporisation de passage de PV en GV sur la raquette standard",
     "TaddrTempo", "F8A9", "TdataTempo", "TvaleurTempo", "TdataTempo"},
}};

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

} // namespace veloris
