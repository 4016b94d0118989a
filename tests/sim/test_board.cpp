#include <gtest/gtest.h>

#include "sim/board.h"

namespace veloris {
namespace {

using namespace std::chrono_literals;
using testing::Test;

// Drives the board model on a hand-moved time line, as a host that reads every byte the
// moment it is due.
class BoardLine {
  public:
    explicit BoardLine(BoardSetup setup = {}) : board(std::move(setup)) {}

    void send(std::initializer_list<std::uint8_t> bytes) {
        for (const std::uint8_t byte : bytes) {
            board.hostByte(byte, now);
        }
    }
    // Everything the board sends within `window`, each byte taken as it comes.
    Bytes take(std::chrono::nanoseconds window = 100ms) {
        const SteadyTime end = now + window;
        Bytes out;
        while (const auto next = board.nextSend(now)) {
            if (next->due > end) {
                break;
            }
            now = std::max(now, next->due);
            board.sent(now);
            out.push_back(next->byte);
        }
        return out;
    }
    // Sends each byte back as it comes, as the host does for a record.
    Bytes echoRecord(std::size_t count) {
        Bytes record;
        for (std::size_t i = 0; i < count; ++i) {
            const Bytes got = take();
            if (got.size() != 1) {
                ADD_FAILURE() << "byte " << i << " of the record: got " << got.size();
                return record;
            }
            record.push_back(got[0]);
            send({got[0]});
        }
        return record;
    }

    BoardModel board;
    SteadyTime now = SteadyTime{} + 5h;
};

TEST(BoardRead, SendsTheRecordOneByteAfterEachEchoThenIsIdle) {
    BoardLine line;
    line.send({0x06});
    EXPECT_EQ(line.take(), (Bytes{0x06}));
    line.send({0x04, 0xF8, 0x94});
    EXPECT_EQ(line.take(), (Bytes{0xCC})) << "the second byte waits for the echo";
    line.send({0xCC});
    EXPECT_EQ(line.echoRecord(3), (Bytes{0x00, 0x64, 0xDD}));
    EXPECT_TRUE(line.board.idle());
    EXPECT_EQ(line.take(2s), Bytes{});
}

TEST(BoardRead, ReadsEachSlotAsSetAndAnyCountAtAnyAddress) {
    BoardLine line;
    line.board.eeprom().setSlotValue(0xF8A9, 36000);
    for (std::size_t slot = 0; slot < 3; ++slot) {
        const std::uint16_t address = kSlots[slot].address;
        const std::uint16_t value = EepromImage::DefaultValue(slot);
        line.send({0x06});
        line.take();
        line.send({0x04, static_cast<std::uint8_t>(address >> 8),
                   static_cast<std::uint8_t>(address & 0xFF)});
        EXPECT_EQ(line.echoRecord(4), (Bytes{0xCC, static_cast<std::uint8_t>(value >> 8),
                                             static_cast<std::uint8_t>(value & 0xFF), 0xDD}));
    }
    line.send({0x06, 0x06, 0xF8, 0xA8});
    EXPECT_EQ(line.take(), (Bytes{0x06, 0xFF}));
    line.send({0xFF});
    EXPECT_EQ(line.echoRecord(5), (Bytes{0xCC, 0x8C, 0xA0, 0xDD, 0xFF}));
}

TEST(BoardWrite, StoresAndEchoesEachByteAndSwallowsTheClosingByte) {
    BoardLine line;
    line.send({0x05});
    EXPECT_EQ(line.take(), (Bytes{0x05}));
    line.send({0x04, 0xF8, 0x99});
    EXPECT_EQ(line.take(), Bytes{});
    for (const std::uint8_t byte : {0xCC, 0x04, 0xD2, 0xDD}) {
        line.send({byte});
        EXPECT_EQ(line.take(), (Bytes{byte}));
    }
    EXPECT_FALSE(line.board.idle()) << "the closing byte is still to come";
    line.send({0xDD});
    EXPECT_EQ(line.take(), Bytes{});
    EXPECT_TRUE(line.board.idle());
    EXPECT_EQ(line.board.eeprom().slotValue(0xF899), 1234);
    EXPECT_EQ(line.board.eeprom().record(0xF899), (EepromImage::Record{0xCC, 0x04, 0xD2, 0xDD}));
}

TEST(BoardWrite, AClosingByteThatLooksLikeACommandIsNotOne) {
    BoardLine line;
    line.send({0x05, 0x01, 0xF9, 0x00, 0x06});
    EXPECT_EQ(line.take(), (Bytes{0x05, 0x06}));
    line.send({0x06});
    EXPECT_EQ(line.take(), Bytes{});
    EXPECT_EQ(line.board.eeprom().byte(0xF900), 0x06);
    line.send({0x42});
    EXPECT_EQ(line.take(), Bytes{}) << "unknown bytes are ignored when idle";
}

TEST(BoardDebugMonitor, RunsTheWholeExchangeAndEndsIdle) {
    BoardSetup setup;
    setup.debugMonitor.firstKeptByte = 0x56;
    setup.debugMonitor.furtherBytes[10] = 0x77;
    setup.debugMonitor.trailer = "OK\r\n";
    BoardLine line(setup);
    for (const std::uint8_t byte : {0x01, 0x04, 0x03, 0x00}) {
        line.send({byte});
        EXPECT_EQ(line.take(), (Bytes{byte}));
    }
    line.send({0x00});
    const Bytes stream = line.take();
    Bytes expected{0x03, 0x56, 0x34, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x77};
    EXPECT_EQ(stream, expected);
    for (const std::uint8_t byte : {0x06, 0x06, 0x56, 0x34}) {
        line.send({byte});
        EXPECT_EQ(line.take(), (Bytes{byte}));
    }
    line.send({0x34});
    EXPECT_EQ(line.take(), (Bytes{'O', 'K', '\r', '\n'}));
    EXPECT_TRUE(line.board.idle());
}

TEST(BoardDebugMonitor, TrailerCanComeWithTheLastEcho) {
    BoardSetup setup;
    setup.debugMonitor.trailer = "ok";
    setup.debugMonitor.trailerWithLastEcho = true;
    BoardLine line(setup);
    line.send({0x01, 0x04, 0x03, 0x00, 0x00});
    line.take();
    line.send({0x06, 0x06, 0x12});
    EXPECT_EQ(line.take(), (Bytes{0x06, 0x06, 0x12}));
    line.send({0x34});
    EXPECT_EQ(line.take(), (Bytes{0x34, 'o', 'k'}));
    line.send({0x34});
    EXPECT_EQ(line.take(), Bytes{});
    EXPECT_TRUE(line.board.idle());
}

TEST(BoardDebugMonitor, StreamWaitsForTheHostAndHoldsTheLineForEachByte) {
    BoardLine line;
    line.send({0x01, 0x04, 0x03, 0x00});
    line.take();
    line.send({0x00});
    const SteadyTime start = line.now;
    std::optional<SteadyTime> previous;
    for (std::size_t i = 0; i < BoardModel::kDebugStreamSize; ++i) {
        const auto next = line.board.nextSend(line.now);
        ASSERT_TRUE(next);
        EXPECT_GE(next->due - previous.value_or(start), kLineByteTime);
        line.board.sent(next->due);
        previous = next->due;
        if (i + 1 < BoardModel::kDebugStreamSize) {
            EXPECT_FALSE(line.board.nextSend(std::nullopt))
                << "byte " << i + 1 << " went before the host took";
        }
        line.now = next->due;
    }
}

TEST(BoardDebugMonitor, AnUnexpectedStepIsTakenAsIdle) {
    BoardLine line;
    line.send({0x01});
    line.take();
    line.send({0x06});
    EXPECT_EQ(line.take(), (Bytes{0x06})) << "read command after 0x01";
    line.send({0x04, 0xF8, 0x94});
    EXPECT_EQ(line.take(), (Bytes{0xCC}));
}

TEST(BoardFaults, SilentReceivesButAnswersNothing) {
    BoardLine line(BoardBehaviour::Silent());
    line.send({0x06, 0x04, 0xF8, 0x94, 0x01});
    EXPECT_EQ(line.take(10s), Bytes{});
    EXPECT_EQ(line.board.trace().receivedByBoard(), (Bytes{0x06, 0x04, 0xF8, 0x94, 0x01}));
}

TEST(BoardFaults, SilentAtOneAddressDropsThatBlockUntilTheNextCommand) {
    BoardLine line(BoardBehaviour::SilentAt(0xF899));
    line.send({0x06, 0x04, 0xF8, 0x99});
    EXPECT_EQ(line.take(), (Bytes{0x06})) << "the address is known only after the echo";
    line.send({0xCC, 0x00});
    EXPECT_EQ(line.take(), Bytes{});
    line.send({0x05, 0x04, 0xF8, 0x99, 0xCC});
    EXPECT_EQ(line.take(), (Bytes{0x05}));
    EXPECT_EQ(line.board.eeprom().slotValue(0xF899), 1000) << "nothing stored";
    line.send({0x06, 0x04, 0xF8, 0x9E});
    EXPECT_EQ(line.take(), (Bytes{0x06, 0xCC}));
}

TEST(BoardFaults, WrongEchoSpoilsEveryEchoAndAnswerButNotRecords) {
    BoardLine line(BoardBehaviour::WrongEcho());
    line.send({0x06, 0x04, 0xF8, 0x94});
    EXPECT_EQ(line.take(), (Bytes{0xF9, 0xCC}));
    line.send({0xCC});
    line.echoRecord(3);
    line.send({0x05, 0x01, 0xF9, 0x10, 0x5A});
    EXPECT_EQ(line.take(), (Bytes{0xFA, 0xA5}));
    EXPECT_EQ(line.board.eeprom().byte(0xF910), 0x5A);
    line.send({0xA5, 0x01, 0x04, 0x03, 0x00, 0x00});
    const Bytes debug = line.take();
    ASSERT_EQ(debug.size(), 4u + BoardModel::kDebugStreamSize);
    EXPECT_EQ(Bytes(debug.begin(), debug.begin() + 6), (Bytes{0xFE, 0xFB, 0xFC, 0xFF, 0xFC, 0x12}));

    BoardLine nak(BoardBehaviour::WrongEcho(0x15));
    nak.send({0x01, 0x04});
    EXPECT_EQ(nak.take(), (Bytes{0x15, 0x15}));
}

TEST(BoardFaults, WrongEchoOnceSpoilsOneDataEchoPerWriteBlock) {
    BoardLine line(BoardBehaviour::WrongEchoOnce(3));
    for (int block = 0; block < 2; ++block) {
        line.send({0x05});
        EXPECT_EQ(line.take(), (Bytes{0x05}));
        line.send({0x04, 0xF8, 0x94, 0xCC, 0x04, 0xD2, 0xDD});
        EXPECT_EQ(line.take(), (Bytes{0xCC, 0x04, 0x2D, 0xDD}));
        line.send({0xDD});
    }
    EXPECT_EQ(line.board.eeprom().slotValue(0xF894), 1234) << "stored as received";
}

TEST(BoardFaults, BurstSendsRecordsAndTheDebugStreamAtOnce) {
    BoardLine line(BoardBehaviour::Burst());
    line.send({0x06});
    line.take();
    line.send({0x04, 0xF8, 0x94});
    std::vector<SteadyTime> due;
    while (const auto next = line.board.nextSend(std::nullopt)) {
        due.push_back(next->due);
        line.board.sent(next->due);
    }
    EXPECT_EQ(due.size(), 4u) << "no echo awaited";
    EXPECT_EQ(due.front(), due.back());
    EXPECT_TRUE(line.board.idle());

    line.send({0x01, 0x04, 0x03, 0x00});
    line.take();
    line.send({0x00});
    std::size_t streamed = 0;
    while (const auto next = line.board.nextSend(std::nullopt)) {
        EXPECT_EQ(next->due, line.now);
        line.board.sent(next->due);
        ++streamed;
    }
    EXPECT_EQ(streamed, BoardModel::kDebugStreamSize);
}

TEST(BoardFaults, SlowDelaysEveryByteAndAddsToPacing) {
    BoardLine slow(BoardBehaviour::Slow(500ms));
    slow.send({0x06});
    EXPECT_EQ(slow.board.nextSend(slow.now)->due - slow.now, 500ms);

    BoardLine both(BoardBehaviour::Slow(5ms) | BoardBehaviour::Pacing());
    both.send({0x06});
    EXPECT_EQ(both.board.nextSend(both.now)->due - both.now, 5ms + 2 * kLineByteTime);
}

TEST(BoardFaults, WrongFrameChangesTheSentRecordOnly) {
    BoardLine line(BoardBehaviour::WrongFrame());
    line.send({0x06});
    line.take();
    line.send({0x04, 0xF8, 0x94});
    EXPECT_EQ(line.echoRecord(4), (Bytes{0xCE, 0x00, 0x64, 0xDE}));
    EXPECT_EQ(line.board.eeprom().record(0xF894), (EepromImage::Record{0xCC, 0x00, 0x64, 0xDD}));

    BoardLine closing(BoardBehaviour::WrongClose(0xD0));
    closing.send({0x06});
    closing.take();
    closing.send({0x04, 0xF8, 0x94});
    EXPECT_EQ(closing.echoRecord(4), (Bytes{0xCC, 0x00, 0x64, 0xD0}));
}

TEST(BoardFaults, DisconnectAfterHangsUpOnTheNthByteUntilReconnected) {
    BoardLine line(BoardBehaviour::DisconnectAfter(2));
    line.send({0x06});
    EXPECT_EQ(line.take(), (Bytes{0x06}));
    line.send({0x04});
    EXPECT_TRUE(line.board.hungUp());
    line.send({0xF8, 0x94});
    EXPECT_EQ(line.take(), Bytes{});
    EXPECT_EQ(line.board.trace().receivedByBoard(), (Bytes{0x06, 0x04}));

    line.board.reconnect();
    line.send({0x06, 0x04, 0xF8, 0x94});
    EXPECT_EQ(line.take(), (Bytes{0x06, 0xCC}));
    EXPECT_FALSE(line.board.hungUp());
}

TEST(BoardFaults, PacingMakesARecordReadCostThirteenByteTimes) {
    BoardLine line(BoardBehaviour::Pacing());
    const SteadyTime start = line.now;
    line.send({0x06});
    line.take();
    EXPECT_EQ(line.now - start, 2 * kLineByteTime);
    line.send({0x04, 0xF8, 0x94});
    line.echoRecord(4);
    const auto& events = line.board.trace().events();
    ASSERT_EQ(events.size(), 13u);
    EXPECT_EQ(events.back().at - start, 13 * kLineByteTime);
}

TEST(EepromImage, HoldsTheFourRecordsAmongErasedBytesAndIgnoresOtherAddresses) {
    EepromImage image;
    EXPECT_EQ(image.record(0xF8A9), (EepromImage::Record{0xCC, 0x0B, 0xB8, 0xDD}));
    EXPECT_EQ(image.byte(0xF898), 0xFF);
    EXPECT_EQ(image.byte(0xF800), 0xFF);
    image.setByte(0xF7FF, 0x12);
    image.setByte(0xFA00, 0x12);
    EXPECT_EQ(image.byte(0xF7FF), 0xFF);
    EXPECT_EQ(image.byte(0xFA00), 0xFF);
    image.setSlotValue(0xF9FE, 0x1234);
    EXPECT_EQ(image.record(0xF9FE), (EepromImage::Record{0xCC, 0x12, 0xFF, 0xFF}));
}

} // namespace
} // namespace veloris
