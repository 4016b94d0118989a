#pragma once
// The board's EEPROM as the simulated board sees it: 512 bytes mapped at 0xF800..0xF9FF,
// holding the four parameter records (0xCC, value high, value low, 0xDD) among erased
// bytes (0xFF).

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/parameter_slots.h"

namespace veloris {

class EepromImage {
  public:
    static constexpr std::uint16_t kFirstAddress = 0xF800;
    static constexpr std::size_t kSize = 512;
    static constexpr std::uint8_t kErased = 0xFF;
    static constexpr std::uint8_t kRecordOpen = 0xCC;
    static constexpr std::uint8_t kRecordClose = 0xDD;
    static constexpr std::size_t kRecordSize = 4;

    // Distinct values whose bytes are none of the board's command codes, so that a host's
    // stray echo of them can never be taken for a command: 100, then 1000, 2000, 3000, ...
    static constexpr std::uint16_t DefaultValue(std::size_t slot) {
        return static_cast<std::uint16_t>(slot == 0 ? 100 : 1000 * slot);
    }

    using Record = std::array<std::uint8_t, kRecordSize>;

    // Erased, with the record of every slot of kSlots holding its DefaultValue.
    EepromImage();

    static bool mapped(std::uint16_t address);

    // Reading outside the image gives an erased byte; writing there is lost.
    std::uint8_t byte(std::uint16_t address) const;
    void setByte(std::uint16_t address, std::uint8_t value);

    // The record CC hh ll DD at `address`, and its value hh * 256 + ll.
    void setSlotValue(std::uint16_t address, std::uint16_t value);
    std::uint16_t slotValue(std::uint16_t address) const;
    Record record(std::uint16_t address) const;
    void setRecord(std::uint16_t address, const Record& bytes);

  private:
    std::array<std::uint8_t, kSize> bytes_;
};

} // namespace veloris
