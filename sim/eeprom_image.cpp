#include "sim/eeprom_image.h"

namespace veloris {

EepromImage::EepromImage() {
    bytes_.fill(kErased);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        setSlotValue(kSlots[slot].address, DefaultValue(slot));
    }
}

bool EepromImage::mapped(std::uint16_t address) {
    return address >= kFirstAddress && static_cast<std::size_t>(address - kFirstAddress) < kSize;
}

std::uint8_t EepromImage::byte(std::uint16_t address) const {
    return mapped(address) ? bytes_[address - kFirstAddress] : kErased;
}

void EepromImage::setByte(std::uint16_t address, std::uint8_t value) {
    if (mapped(address)) {
        bytes_[address - kFirstAddress] = value;
    }
}

void EepromImage::setSlotValue(std::uint16_t address, std::uint16_t value) {
    setRecord(address, {kRecordOpen, static_cast<std::uint8_t>(value >> 8),
                        static_cast<std::uint8_t>(value & 0xFF), kRecordClose});
}

std::uint16_t EepromImage::slotValue(std::uint16_t address) const {
    const Record bytes = record(address);
    return static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
}

EepromImage::Record EepromImage::record(std::uint16_t address) const {
    Record bytes{};
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        bytes[i] = byte(static_cast<std::uint16_t>(address + i));
    }
    return bytes;
}

void EepromImage::setRecord(std::uint16_t address, const Record& bytes) {
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        setByte(static_cast<std::uint16_t>(address + i), bytes[i]);
    }
}

} // namespace veloris
