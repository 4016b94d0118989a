// The address reading of the block command header, on any address text and count.
//
// BlockAddress is the value of the last four hex digits of the text's leading run (blanks
// ignored); a cooperative board receives the command, the clamped count and that address,
// high byte first, and nothing else.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/reference_readers.h"
#include "protocol/block_header.h"
#include "serial/port_setup.h"
#include "sim/fake_port.h"

using namespace veloris;
using namespace veloris::fuzz;

namespace {

int ReferenceClamp(int count) {
    return count > 8 ? 8 : (count < 1 ? 4 : count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int count = static_cast<int>(static_cast<std::int8_t>(data[0]));
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::uint16_t address = BlockAddress(text);
    Require(address == LastHexDigitsValue(text, 4), "the address is the last four hex digits",
            text);

    VirtualClock clock;
    FakePort port(clock);
    StringLog log;
    (void)OpenComm(port, log);
    ByteExchange exchange(port, log, clock);
    const int sentCount = SendHeader(exchange, kReadCommand, text, count);
    Require(sentCount == ReferenceClamp(count), "the count is clamped to 1..8, 4 below 1", text);
    const Bytes header{
        static_cast<std::uint8_t>(kReadCommand), static_cast<std::uint8_t>(sentCount),
        static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF)};
    Require(port.board().trace().receivedByBoard() == header,
            "the board receives command, count and address, high byte first", text);
    return 0;
}
