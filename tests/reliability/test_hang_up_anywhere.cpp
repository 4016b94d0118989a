// The board hanging up after any byte of each operation, in process on virtual time: every
// operation ends at once, closes the port, logs the loss and tells the user once, and the
// board's EEPROM changes only where a write had the right to change it.

#include <gtest/gtest.h>

#include <chrono>

#include "operation_doubles.h"
#include "operations/operations.h"
#include "read_boxes_check.h"
#include "serial/byte_exchange.h"
#include "sim/fake_port.h"

namespace veloris {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kLossMessage = "a été perdue";
// Bytes the host sends: a read 8 a slot, a write of four slots 9 a slot, a program-load 10.
constexpr std::size_t kReadBytes = 32;
constexpr std::size_t kWriteBytes = 36;
constexpr std::size_t kProgramLoadBytes = 10;
// With the board answering at once, what is left of an operation after a hang-up is the
// debug monitor's paced bytes at most: never a byte wait.
constexpr auto kVirtualBound = 500ms;

struct Line {
    explicit Line(std::size_t hangUpAfter)
        : port(clock, BoardBehaviour::DisconnectAfter(hangUpAfter)), before(port.board().eeprom()) {
    }

    void run(void (*operation)(OperationContext&)) {
        OperationContext context{port, boxes, log, dialogs, clock};
        operation(context);
    }
    void expectLossTold(std::size_t n) {
        EXPECT_FALSE(port.portOpen()) << "hang-up after byte " << n;
        EXPECT_TRUE(port.board().hungUp()) << "hang-up after byte " << n;
        EXPECT_TRUE(log.text().ends_with(kPortLostEntry)) << n << ": " << log.text();
        EXPECT_EQ(dialogs.count(kLossMessage), 1) << "hang-up after byte " << n;
        EXPECT_LT(clock.elapsed(), kVirtualBound) << "hang-up after byte " << n;
    }

    VirtualClock clock;
    FakePort port;
    EepromImage before;
    HeadlessBoxes boxes;
    StringLog log;
    AnsweringDialogs dialogs;
};

TEST(HangUpAnywhere, ReadEndsWithTheSlotsItReadAndChangesNothingOnTheBoard) {
    for (std::size_t n = 1; n <= kReadBytes; ++n) {
        Line line(n);
        line.run(&ReadParameters);
        line.expectLossTold(n);
        const std::size_t slotsRead = n / 8; // the last echo of a slot completes it
        for (std::size_t slot = 0; slot < kParameterSlots.size(); ++slot) {
            const ParameterSlot& row = kParameterSlots[slot];
            EXPECT_EQ(testing::ReadBoxesProblem(line.boxes, row), "") << "after byte " << n;
            EXPECT_EQ(line.boxes.text(row.valueBox).empty(), slot >= slotsRead)
                << row.valueBox << " after byte " << n;
        }
        for (const std::uint16_t address : EepromImage::kSlotAddresses) {
            EXPECT_EQ(line.port.board().eeprom().record(address), line.before.record(address));
        }

        // Plugged back in, the board is read whole.
        line.port.reconnect();
        line.dialogs.messages.clear();
        line.run(&ReadParameters);
        EXPECT_EQ(line.boxes.text("TvaleurTempo"), "3000") << "after byte " << n;
        EXPECT_TRUE(line.dialogs.messages.empty());
    }
}

TEST(HangUpAnywhere, WriteChangesOnlyTheRecordsItSentAndClaimsNoneItDidNotFinish) {
    const int values[] = {1200, 34000, 5, 65535};
    for (std::size_t n = 1; n <= kWriteBytes; ++n) {
        Line line(n);
        for (std::size_t slot = 0; slot < 4; ++slot) {
            testing::ShowReadRecord(line.boxes, kParameterSlots[slot], 100);
            line.boxes.setText(kParameterSlots[slot].valueBox, std::to_string(values[slot]));
        }
        line.run(&WriteParameters);
        line.expectLossTold(n);
        for (std::size_t slot = 0; slot < 4; ++slot) {
            const ParameterSlot& row = kParameterSlots[slot];
            const std::uint16_t address = EepromImage::kSlotAddresses[slot];
            const auto oldRecord = line.before.record(address);
            const EepromImage::Record newRecord{0xCC, static_cast<std::uint8_t>(values[slot] >> 8),
                                                static_cast<std::uint8_t>(values[slot] & 0xFF),
                                                0xDD};
            const auto held = line.port.board().eeprom().record(address);
            for (std::size_t i = 0; i < held.size(); ++i) {
                EXPECT_TRUE(held[i] == oldRecord[i] || held[i] == newRecord[i])
                    << "slot " << slot << " byte " << i << " after byte " << n;
            }
            // A slot is shown written only when the board holds it: when every byte of its
            // record came back before the hang-up.
            const std::string data = line.boxes.text(row.dataBox);
            const bool shownWritten = !data.empty() && data.front() == 'C';
            EXPECT_EQ(shownWritten, n >= 9 * (slot + 1)) << row.dataBox << " after byte " << n;
            if (shownWritten) {
                EXPECT_EQ(held, newRecord);
            }
        }
        // The slot under way when the board went is named, unless it had just been confirmed.
        EXPECT_EQ(line.dialogs.count("n'a pas confirmé"), n % 9 == 0 ? 0 : 1) << n;
    }
}

TEST(HangUpAnywhere, ProgramLoadStopsAtTheLossAndSaysSo) {
    for (std::size_t n = 1; n <= kProgramLoadBytes; ++n) {
        Line line(n);
        line.run(&ProgramLoad);
        line.expectLossTold(n);
        for (const std::uint16_t address : EepromImage::kSlotAddresses) {
            EXPECT_EQ(line.port.board().eeprom().record(address), line.before.record(address));
        }
        // Whether the telescope stopped cannot be told over a line that is gone.
        EXPECT_EQ(line.dialogs.count("télescope arrêté?"), 0) << "hang-up after byte " << n;
    }
}

} // namespace
} // namespace veloris
