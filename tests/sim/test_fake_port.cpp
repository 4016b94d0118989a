#include <gtest/gtest.h>

#include <memory>

#include "sim/fake_port.h"

namespace veloris {
namespace {

using namespace std::chrono_literals;

class FakePortTest : public testing::Test {
  protected:
    void openWith(BoardSetup setup) {
        port = std::make_unique<FakePort>(clock, std::move(setup));
        ASSERT_FALSE(port->open());
    }
    void send(Bytes bytes) { port->output(bytes); }

    VirtualClock clock;
    std::unique_ptr<FakePort> port;
};

TEST_F(FakePortTest, SilentBoardCostsTheWholeTimeoutInVirtualTimeOnly) {
    openWith(BoardBehaviour::Silent());
    const auto realStart = std::chrono::steady_clock::now();
    send({0x06});
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(port->waitForInput(2000ms), PortWait::TimedOut);
    }
    EXPECT_EQ(clock.elapsed(), 8s);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 500ms);
    EXPECT_EQ(port->board().trace().receivedByBoard(), Bytes{0x06});
}

TEST_F(FakePortTest, AnEchoIsReadyAtOnceAndARecordComesByteByByte) {
    openWith({});
    send({0x06});
    EXPECT_EQ(port->inBufferCount(), 1);
    EXPECT_EQ(port->waitForInput(2000ms), PortWait::Ready);
    EXPECT_EQ(port->input(), Bytes{0x06});
    EXPECT_EQ(port->input(), Bytes{});
    send({0x04, 0xF8, 0x94});
    Bytes record;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(port->waitForInput(2000ms), PortWait::Ready);
        const Bytes got = port->input();
        ASSERT_EQ(got.size(), 1u);
        record.push_back(got[0]);
        send(got);
    }
    EXPECT_EQ(record, (Bytes{0xCC, 0x00, 0x64, 0xDD}));
    EXPECT_EQ(clock.elapsed(), 0s);
    EXPECT_EQ(port->outBufferCount(), 0);
    EXPECT_EQ(port->waitForDrain(100ms), PortWait::Ready);
}

TEST_F(FakePortTest, BurstArrivesInOneInputAndSlowBytesAtTheirTime) {
    openWith(BoardBehaviour::Burst());
    send({0x06});
    port->input();
    send({0x04, 0xF8, 0x94});
    EXPECT_EQ(port->input(), (Bytes{0xCC, 0x00, 0x64, 0xDD}));

    openWith(BoardBehaviour::Slow(500ms));
    send({0x06});
    EXPECT_EQ(port->waitForInput(200ms), PortWait::TimedOut);
    EXPECT_EQ(port->waitForInput(2000ms), PortWait::Ready);
    EXPECT_EQ(clock.elapsed(), 500ms);
    EXPECT_EQ(port->input(), Bytes{0x06});
}

TEST_F(FakePortTest, DebugStreamWaitsUntilTheHostTookEachByte) {
    openWith({});
    send({0x01, 0x04, 0x03, 0x00, 0x00});
    EXPECT_EQ(port->input(), (Bytes{0x01, 0x04, 0x03, 0x00}));
    for (int i = 0; i < 14; ++i) {
        clock.advance(50ms); // a slow reader: the next byte still waits for it
        ASSERT_EQ(port->waitForInput(2000ms), PortWait::Ready);
        EXPECT_EQ(port->input().size(), 1u) << "byte " << i;
    }
    EXPECT_EQ(port->waitForInput(2000ms), PortWait::TimedOut);
}

TEST_F(FakePortTest, StuckSendQueueHoldsOutputUntilReleased) {
    openWith({});
    port->setSendQueueStuck(true);
    EXPECT_GT(port->outBufferCount(), 0);
    EXPECT_EQ(port->waitForDrain(1500ms), PortWait::TimedOut);
    EXPECT_EQ(clock.elapsed(), 1500ms);
    send({0x06});
    EXPECT_EQ(port->waitForInput(100ms), PortWait::TimedOut);
    port->setSendQueueStuck(false);
    EXPECT_EQ(port->outBufferCount(), 0);
    EXPECT_EQ(port->input(), Bytes{0x06});
}

TEST_F(FakePortTest, OpenFailureAndHangUpKeepThePortFromTheBoard) {
    port = std::make_unique<FakePort>(clock, BoardBehaviour::DisconnectAfter(2));
    port->setCommPort(3);
    port->setOpenFailure(OpenFailure{OpenFailure::Reason::Busy, "", "held", {}});
    const auto failure = port->open();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, OpenFailure::Reason::Busy);
    EXPECT_EQ(failure->device, "sim:COM3");
    EXPECT_FALSE(port->portOpen());

    port->setOpenFailure(std::nullopt);
    ASSERT_FALSE(port->open());
    send({0x06});
    EXPECT_FALSE(port->lost());
    send({0x04});
    EXPECT_TRUE(port->lost());
    EXPECT_EQ(port->waitForInput(2000ms), PortWait::Ready) << "the echo came before";
    EXPECT_EQ(port->input(), Bytes{0x06});
    EXPECT_EQ(port->waitForInput(2000ms), PortWait::Lost);
    EXPECT_EQ(clock.elapsed(), 0s);
    port->close();
    EXPECT_EQ(port->open()->reason, OpenFailure::Reason::Absent);
    port->reconnect();
    EXPECT_FALSE(port->open());
    EXPECT_EQ(port->openCount(), 2);
}

TEST_F(FakePortTest, ClosingDropsWhatWaitsAndWhatComesWhileClosed) {
    openWith(BoardBehaviour::Slow(1s));
    send({0x06});
    port->close();
    clock.advance(2s);
    ASSERT_FALSE(port->open());
    EXPECT_EQ(port->input(), Bytes{});
    EXPECT_EQ(port->board().trace().sentByBoard(), Bytes{0x06}) << "it went on the line";
}

TEST(VirtualClock, TimeOfDayFollowsAdvancesWrapsAtMidnightAndCanBeSetBack) {
    VirtualClock clock(86399.5);
    const auto start = clock.steadyNow();
    clock.advance(1500ms);
    EXPECT_DOUBLE_EQ(clock.secondsSinceMidnight(), 1.0);
    clock.setTimeOfDay(100.25);
    EXPECT_EQ(clock.steadyNow() - start, 1500ms);
    clock.advanceTo(start);
    EXPECT_DOUBLE_EQ(clock.secondsSinceMidnight(), 100.25) << "no going back in steady time";
    clock.advance(250ms);
    EXPECT_DOUBLE_EQ(clock.secondsSinceMidnight(), 100.5);
}

} // namespace
} // namespace veloris
