// The pair reading of the byte-string transfer, on any text and count, against a board
// that echoes every data byte of a write block.
//
// The bytes sent are the pairs a plain splitter finds (leading spaces dropped, two
// characters, their leading hex digits), in order and no more than asked; the board gets
// them followed by the closing byte, the last echo; SendHexBytes sends the same and gives 0.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/reference_readers.h"
#include "protocol/block_header.h"
#include "protocol/hex_transfer.h"
#include "serial/port_setup.h"
#include "sim/fake_port.h"

using namespace veloris;
using namespace veloris::fuzz;

namespace {

constexpr int kLargestCount = kMaxBlockCount; // the board's block takes this many bytes

// A write block open on a cooperative board, ready to take and echo data bytes.
struct EchoingBlock {
    EchoingBlock() {
        (void)OpenComm(port, log);
        const int count = SendHeader(exchange, kWriteCommand, "F800", kLargestCount);
        Require(count == kLargestCount, "a cooperative board takes the write header");
    }
    Bytes dataReceived() const {
        const Bytes all = port.board().trace().receivedByBoard();
        return Bytes(all.begin() + 4, all.end()); // past the header
    }

    VirtualClock clock;
    FakePort port{clock};
    StringLog log;
    ByteExchange exchange{port, log, clock};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // Counts from -2 to 8: none, some, and as many pairs as a block holds.
    const int count = static_cast<int>(data[0] % (kLargestCount + 3)) - 2;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::vector<std::uint8_t> expected = SplitPairs(text, count);
    const std::uint8_t closing = expected.empty() ? 0 : expected.back();
    Bytes onTheWire(expected.begin(), expected.end());
    onTheWire.push_back(closing);

    EchoingBlock block;
    const HexTransfer transfer = TransferHexBytes(block.exchange, text, count);
    Require(transfer.sent == expected, "the pairs sent are the pairs of the text", text);
    Require(transfer.echoedAll(expected.size()), "a cooperative board echoes every pair", text);
    Require(transfer.closingByte == closing, "the closing byte is the last echo", text);
    Require(block.dataReceived() == onTheWire, "the board gets the pairs and the closing byte",
            text);

    EchoingBlock again;
    Require(SendHexBytes(again.exchange, text, count) == 0, "SendHexBytes gives 0", text);
    Require(again.dataReceived() == onTheWire, "SendHexBytes sends what the transfer sends", text);
    return 0;
}
