// The read against a board that answers whatever the fuzzer chooses: echoes, stray bytes,
// bursts of noise, late answers, a hang-up.
//
// Afterwards every slot holds at most four record bytes, has a value exactly when those are
// a whole record framed CC ... DD (the value then hh * 256 + ll), and a fault that fits what
// came. The progress told matches the result. The port is closed, a hang-up is logged and
// reported, and the read ends within the bound of its byte waits.

#include <chrono>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/played_board_port.h"
#include "operations/operations.h"
#include "serial/byte_exchange.h"

using namespace veloris;
using namespace veloris::fuzz;

namespace {

// Each slot a header echo and four record bytes at most, each wait 2.6 s at most.
constexpr std::chrono::seconds kLongestRead{kSlotCount * 5 * 3};

// The record bytes as progress told them, slot by slot.
struct ToldBytes final : OperationProgress {
    std::array<Bytes, kSlotCount> bytes;
    void recordByte(std::size_t slot, std::uint8_t byte) override { bytes[slot].push_back(byte); }
};

void CheckSlot(const SlotRead& read, const Bytes& told) {
    Require(read.record.size() <= 4, "a slot holds up to four record bytes");
    Require(read.record == told, "progress tells each record byte as it came");
    const bool framed = read.record.size() == 4 && read.record[0] == 0xCC && read.record[3] == 0xDD;
    Require(framed == read.value.has_value(), "a value exactly for a whole framed record");
    if (framed) {
        Require(*read.value == read.record[1] * 256 + read.record[2], "the value is hh * 256 + ll");
        Require(read.fault == RecordFault::None, "a whole framed record has no fault");
    } else if (read.record.size() == 4) {
        Require(read.fault == RecordFault::Misframed, "four bytes unframed are misframed");
    } else {
        Require(read.fault != RecordFault::None && read.fault != RecordFault::Misframed,
                "a partial record says why it stopped");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    VirtualClock clock;
    PlayedBoardPort port(clock, {data, size});
    StringLog log;
    ToldBytes told;
    OperationLine line{port, log, clock, nullptr, &told};

    const ReadResult result = ReadSlots(line);

    Require(result.slots.size() == kSlotCount, "every slot is reported");
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        CheckSlot(result.slots[slot], told.bytes[slot]);
    }
    Require(!port.portOpen(), "the port is closed after the read");
    Require(clock.elapsed() <= kLongestRead, "the read ends within its byte waits");
    if (port.hungUp()) {
        Require(log.text().find(kPortLostEntry) != std::string::npos, "a hang-up is logged",
                log.text());
        Require(result.session.state == SessionOutcome::State::LineLost, "a hang-up is reported");
    } else {
        Require(result.session.state == SessionOutcome::State::Completed,
                "a read on a live line completes");
    }
    return 0;
}
