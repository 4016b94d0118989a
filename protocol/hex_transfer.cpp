#include "protocol/hex_transfer.h"

#include <algorithm>

#include "protocol/lenient_number.h"

namespace veloris {

bool HexTransfer::echoedAll(std::size_t expected) const {
    if (sent.size() != expected || received.size() != expected) {
        return false;
    }
    for (std::size_t i = 0; i < expected; ++i) {
        if (received[i] != sent[i]) {
            return false;
        }
    }
    return true;
}

std::uint8_t HexPairValue(std::string_view pair) {
    return static_cast<std::uint8_t>(ReadHex(pair.substr(0, 2)) & 0xFFu);
}

HexTransfer TransferHexBytes(ByteExchange& exchange, std::string text, int count) {
    HexTransfer transfer;
    ByteValue lastReceived = 0;
    for (int pair = 1; pair <= count; ++pair) {
        const auto pairStart = text.find_first_not_of(' ');
        text.erase(0, pairStart == std::string::npos ? text.size() : pairStart);
        const std::uint8_t byte = HexPairValue(text);
        exchange.SendByte(byte);
        lastReceived = exchange.ReceiveByte();
        transfer.sent.push_back(byte);
        transfer.received.push_back(lastReceived);
        if (lastReceived < 0) {
            break;
        }
        text.erase(0, std::min<std::size_t>(2, text.size()));
    }
    // The closing byte is the last byte received, not the last sent.
    exchange.SendByte(lastReceived);
    transfer.closingByte = lastReceived;
    return transfer;
}

std::int16_t SendHexBytes(ByteExchange& exchange, std::string text, int count) {
    (void)TransferHexBytes(exchange, std::move(text), count);
    return 0;
}

} // namespace veloris
