#include "protocol/block_header.h"

#include "protocol/lenient_number.h"

namespace veloris {

int ClampBlockCount(int count) {
    if (count > kMaxBlockCount) {
        count = kMaxBlockCount;
    }
    if (count < 1) {
        count = kDefaultBlockCount;
    }
    return count;
}

std::uint16_t BlockAddress(std::string_view addressText) {
    return static_cast<std::uint16_t>(ReadHex(addressText) & 0xFFFFu);
}

OpenedBlock OpenBlock(ByteExchange& exchange, int command, std::string_view addressText,
                      int count) {
    count = ClampBlockCount(count);
    const std::uint16_t address = BlockAddress(addressText);

    // Whatever the board sent before this block is stale: it must not pass for the echo.
    (void)exchange.TakeInput();
    exchange.log().setText("");

    exchange.SendByte(command);
    const ByteValue echo = exchange.ReceiveByte();
    if (echo != command) {
        // On a lost line the loss is the last entry: there was no echo to be wrong.
        if (!exchange.portLost()) {
            exchange.log().append(kHeaderErrorEntry);
        }
        return {0, echo};
    }
    exchange.SendByte(count);
    exchange.SendByte(address >> 8);
    exchange.SendByte(address & 0xFF);
    return {count, echo};
}

int SendHeader(ByteExchange& exchange, int command, std::string_view addressText, int count) {
    return OpenBlock(exchange, command, addressText, count).count;
}

} // namespace veloris
