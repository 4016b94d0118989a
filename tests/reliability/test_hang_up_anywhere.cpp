// The board hanging up after any byte of each operation, in process on virtual time: every
// operation ends at once, closes the port, logs the loss and reports it, and the
// board's EEPROM changes only where a write had the right to change it.

#include <gtest/gtest.h>

#include <chrono>

#include "operation_doubles.h"
#include "operations/operations.h"
#include "serial/byte_exchange.h"
#include "sim/answering_prompts.h"
#include "sim/fake_port.h"

namespace veloris {
namespace {

using namespace std::chrono_literals;

// Bytes the host sends: a read 8 a slot, a write of every slot 9 a slot, a program-load 10.
constexpr std::size_t kReadBytes = 8 * kSlotCount;
constexpr std::size_t kWriteBytes = 9 * kSlotCount;
constexpr std::size_t kProgramLoadBytes = 10;
// With the board answering at once, what is left of an operation after a hang-up is the
// debug monitor's paced bytes at most: never a byte wait.
constexpr auto kVirtualBound = 500ms;

struct Line {
    explicit Line(std::size_t hangUpAfter)
        : port(clock, BoardBehaviour::DisconnectAfter(hangUpAfter)), before(port.board().eeprom()) {
    }

    OperationLine line() { return OperationLine{port, log, clock}; }
    void expectLoss(const SessionOutcome& session, std::size_t n) {
        EXPECT_FALSE(port.portOpen()) << "hang-up after byte " << n;
        EXPECT_TRUE(port.board().hungUp()) << "hang-up after byte " << n;
        EXPECT_TRUE(log.text().ends_with(kPortLostEntry)) << n << ": " << log.text();
        EXPECT_EQ(session.state, SessionOutcome::State::LineLost) << "hang-up after byte " << n;
        EXPECT_LT(clock.elapsed(), kVirtualBound) << "hang-up after byte " << n;
    }
    void expectRecordsUnchanged() {
        for (const SlotEntry& slot : kSlots) {
            EXPECT_EQ(port.board().eeprom().record(slot.address), before.record(slot.address));
        }
    }

    VirtualClock clock;
    FakePort port;
    EepromImage before;
    StringLog log;
};

TEST(HangUpAnywhere, ReadEndsWithTheSlotsItReadAndChangesNothingOnTheBoard) {
    for (std::size_t n = 1; n <= kReadBytes; ++n) {
        Line line(n);
        OperationLine operationLine = line.line();
        const ReadResult result = ReadSlots(operationLine);
        line.expectLoss(result.session, n);
        const std::size_t slotsRead = n / 8; // the last echo of a slot completes it
        ASSERT_EQ(result.slots.size(), kSlotCount);
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            const SlotRead& read = result.slots[slot];
            EXPECT_EQ(testing::ReadSlotProblem(read), "") << "after byte " << n;
            EXPECT_EQ(read.value.has_value(), slot < slotsRead) << slot << " after byte " << n;
            EXPECT_EQ(read.fault == RecordFault::LineLost, slot >= slotsRead)
                << slot << " after byte " << n;
        }
        // Where the loss was seen: in the slot whose byte went unanswered.
        EXPECT_EQ(result.session.lostInSlot, (n - 1) / 8) << n;
        line.expectRecordsUnchanged();

        // Plugged back in, the board is read whole.
        line.port.reconnect();
        const ReadResult again = ReadSlots(operationLine);
        EXPECT_TRUE(again.complete()) << "after byte " << n;
        EXPECT_EQ(again.slots.back().value, EepromImage::DefaultValue(kSlotCount - 1));
    }
}

TEST(HangUpAnywhere, WriteChangesOnlyTheRecordsItSentAndClaimsNoneItDidNotFinish) {
    WriteRequest request;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        request.values[slot] = static_cast<std::uint16_t>(1200 + 7919 * slot);
    }
    for (std::size_t n = 1; n <= kWriteBytes; ++n) {
        Line line(n);
        OperationLine operationLine = line.line();
        const WriteResult result = WriteSlots(operationLine, request);
        line.expectLoss(result.session, n);
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            const std::uint16_t address = kSlots[slot].address;
            const std::uint16_t value = *request.values[slot];
            const auto oldRecord = line.before.record(address);
            const EepromImage::Record newRecord{0xCC, static_cast<std::uint8_t>(value >> 8),
                                                static_cast<std::uint8_t>(value & 0xFF), 0xDD};
            const auto held = line.port.board().eeprom().record(address);
            for (std::size_t i = 0; i < held.size(); ++i) {
                EXPECT_TRUE(held[i] == oldRecord[i] || held[i] == newRecord[i])
                    << "slot " << slot << " byte " << i << " after byte " << n;
            }
            // A slot is confirmed only when the board holds it: when every byte of its
            // record came back before the hang-up. The slot under way is not confirmed, and
            // those after it are not reached.
            const SlotWrite::Status status = result.slots.at(slot).status;
            const std::size_t underWay = n / 9;
            if (slot < underWay) {
                EXPECT_EQ(status, SlotWrite::Status::Confirmed) << slot << " after " << n;
                EXPECT_EQ(held, newRecord);
            } else if (slot == underWay && n % 9 != 0) {
                EXPECT_EQ(status, SlotWrite::Status::NotConfirmed) << slot << " after " << n;
            } else {
                EXPECT_EQ(status, SlotWrite::Status::NotReached) << slot << " after " << n;
            }
        }
    }
}

TEST(HangUpAnywhere, ProgramLoadStopsAtTheLossAndSaysSo) {
    for (std::size_t n = 1; n <= kProgramLoadBytes; ++n) {
        Line line(n);
        OperationLine operationLine = line.line();
        AnsweringPrompts prompts;
        const ProgramLoadResult result = ProgramLoad(operationLine, prompts);
        line.expectLoss(result.session, n);
        line.expectRecordsUnchanged();
        // Whether the telescope stopped cannot be told over a line that is gone.
        EXPECT_EQ(prompts.stoppedQuestions, 0) << "hang-up after byte " << n;
        EXPECT_FALSE(result.lastAnswer.has_value());
        // The board answered right until it went: the loss is no wrong answer.
        EXPECT_TRUE(prompts.failedChecks.empty()) << "hang-up after byte " << n;
    }
}

} // namespace
} // namespace veloris
