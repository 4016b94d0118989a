#pragma once
// The block command header that opens every EEPROM transfer: command, count, address
// high, address low. Only the command byte is echoed by the board.

#include <cstdint>
#include <string_view>

#include "serial/byte_exchange.h"

namespace veloris {

inline constexpr int kReadCommand = 0x06;
inline constexpr int kWriteCommand = 0x05;
inline constexpr int kMaxBlockCount = 8;
inline constexpr int kDefaultBlockCount = 4;
inline constexpr std::string_view kHeaderErrorEntry = " Error";

// Counts above 8 become 8, then counts below 1 become 4.
int ClampBlockCount(int count);

// The EEPROM address an address text names: its leading hex digits, low 16 bits.
std::uint16_t BlockAddress(std::string_view addressText);

// What opening a block came to: the clamped count when the board echoed the command, or 0;
// and the echo as it came (the timeout marker when none did).
struct OpenedBlock {
    int count = 0;
    ByteValue echo = kTimeoutMarker;
};

// Discards pending input, empties the exchange log, sends the command and awaits its
// echo; then sends the count and the address bytes without waiting. The count is 0 (with
// " Error" logged, nothing more sent) when the echo is wrong or missing.
OpenedBlock OpenBlock(ByteExchange& exchange, int command, std::string_view addressText, int count);

// The same, giving the count alone.
int SendHeader(ByteExchange& exchange, int command, std::string_view addressText, int count);

} // namespace veloris
