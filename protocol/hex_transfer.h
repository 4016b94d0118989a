#pragma once
// Sends a text of hex byte pairs one byte at a time, awaiting the board's echo after each,
// then sends the last byte received once more as the closing byte.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "serial/byte_exchange.h"

namespace veloris {

// What went over the line, for callers that need to know whether the board echoed
// every byte it was sent.
struct HexTransfer {
    std::vector<std::uint8_t> sent;  // the pair bytes, in order (not the closing byte)
    std::vector<ByteValue> received; // what came back after each, the timeout marker included
    ByteValue closingByte = 0;       // the last value received (0 when no pair was sent)

    // True when every one of `expected` pairs went out and came back unchanged.
    bool echoedAll(std::size_t expected) const;
};

// Reads the value of one pair: up to two characters, leading hex digits only.
std::uint8_t HexPairValue(std::string_view pair);

// Sends `count` pairs of `text` (pairs may stand apart or side by side), each followed by
// a wait for the echo, which is not compared. The first missing echo ends the pairs.
// The closing byte is sent in every case.
HexTransfer TransferHexBytes(ByteExchange& exchange, std::string text, int count);

// The same, reporting nothing: the result is always 0.
std::int16_t SendHexBytes(ByteExchange& exchange, std::string text, int count);

} // namespace veloris
