#include <gtest/gtest.h>

#include "serial/byte_exchange.h"
#include "serial/wait_deadline.h"
#include "support/scripted_port.h"

using namespace std::chrono_literals;
using veloris::ByteExchange;
using veloris::Bytes;
using veloris::HexByte;
using veloris::StringLog;
using veloris::testing::ScriptedClock;
using veloris::testing::ScriptedPort;

namespace {

struct Line {
    explicit Line(double timeOfDay) : clock(timeOfDay), port(clock) {}
    ScriptedClock clock;
    ScriptedPort port;
    StringLog log;
    ByteExchange exchange{port, log, clock};
};

// How long an idle ReceiveByte waits, by the steady clock, when it starts at `timeOfDay`.
double IdleWaitSeconds(double timeOfDay) {
    Line line(timeOfDay);
    EXPECT_EQ(line.exchange.ReceiveByte(), veloris::kTimeoutMarker);
    return line.clock.elapsedSeconds();
}

} // namespace

TEST(HexByte, GivesTheLowEightBitsAsTwoUpperCaseDigits) {
    const std::pair<int, const char*> cases[] = {{0, "00"},   {9, "09"},    {10, "0A"},
                                                 {171, "AB"}, {255, "FF"},  {-1, "FF"},
                                                 {256, "00"}, {4660, "34"}, {INT32_MIN, "00"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(HexByte(value), text) << value;
    }
}

TEST(WaitDeadline, RoundsTwoSecondsOnHalfToEven) {
    EXPECT_EQ(veloris::WaitDeadline::TimeOfDay(100.4), 102);
    EXPECT_EQ(veloris::WaitDeadline::TimeOfDay(100.6), 103);
    EXPECT_EQ(veloris::WaitDeadline::TimeOfDay(100.5), 102);
    EXPECT_EQ(veloris::WaitDeadline::TimeOfDay(101.5), 104);
}

TEST(ReceiveByte, IdleWaitEndsAtTheFirstReadingPastTheRoundedDeadline) {
    // Each wait ends within one observer slice past its deadline.
    EXPECT_NEAR(IdleWaitSeconds(100.4), 1.6, 0.06);
    EXPECT_NEAR(IdleWaitSeconds(100.6), 2.4, 0.06);
    EXPECT_NEAR(IdleWaitSeconds(100.5), 1.5, 0.06);
    EXPECT_NEAR(IdleWaitSeconds(101.5), 2.5, 0.06);
}

TEST(ReceiveByte, AReadingEqualToTheDeadlineDoesNotEndTheWait) {
    Line idle(100.0);
    // Entry reads 100.0 (deadline 102), then the clock sits exactly on 102 for a while.
    idle.clock.forceReadings({100.0, 102.0, 102.0, 102.0});
    int waitsWhileOnDeadline = 0;
    idle.port.onEveryWait([&](ScriptedClock&) { ++waitsWhileOnDeadline; });
    EXPECT_EQ(idle.exchange.ReceiveByte(), veloris::kTimeoutMarker);
    // Three readings of exactly 102 each led to another wait instead of giving up.
    EXPECT_GE(waitsWhileOnDeadline, 3);
    EXPECT_EQ(idle.log.text(), "<No Reply");
}

TEST(ReceiveByte, ByteWaitingAtEntryIsTakenWithoutWaitingEvenPastTheDeadline) {
    Line line(100.0);
    line.port.arrive({0xCC});
    line.clock.forceReadings({100.0, 500.0});
    EXPECT_EQ(line.exchange.ReceiveByte(), 0xCC);
    EXPECT_EQ(line.port.waits(), 0);
    EXPECT_EQ(line.log.text(), "<CC");
}

TEST(ReceiveByte, BytesThatArriveTogetherAreAllReturnedInOrderAndLoggedOneByOne) {
    Line line(100.0);
    line.port.arrive({0x41, 0x42, 0x43});
    EXPECT_EQ(line.exchange.ReceiveByte(), 65);
    EXPECT_EQ(line.log.text(), "<41");
    EXPECT_EQ(line.exchange.ReceiveByte(), 66);
    EXPECT_EQ(line.exchange.ReceiveByte(), 67);
    EXPECT_EQ(line.port.waits(), 0);
    EXPECT_EQ(line.log.text(), "<41<42<43");
    // Then the buffer is empty and the next call waits for a new byte.
    line.port.arrive({0x00}, 300ms);
    EXPECT_EQ(line.exchange.ReceiveByte(), 0);
    EXPECT_NEAR(line.clock.elapsedSeconds(), 0.3, 0.01);
    EXPECT_EQ(line.log.text(), "<41<42<43<00");
}

TEST(ReceiveByte, AByteThatArrivesDuringTheWaitIsTakenAtOnce) {
    Line line(100.0);
    line.port.arrive({0x06}, 730ms);
    EXPECT_EQ(line.exchange.ReceiveByte(), 6);
    EXPECT_NEAR(line.clock.elapsedSeconds(), 0.73, 0.002);
}

TEST(ReceiveByte, SilentWaitBlocksInSlicesAndLogsTheTimeOutOnce) {
    Line line(100.0);
    EXPECT_EQ(line.exchange.ReceiveByte(), veloris::kTimeoutMarker);
    EXPECT_EQ(line.log.text(), "<No Reply");
    // Two seconds in slices of at most 50 ms: a few dozen waits, not a busy loop.
    EXPECT_LE(line.port.waits(), 2000 / 50 + 5);
    // A late byte stays in the buffer for the next call.
    line.port.arrive({0x12});
    EXPECT_EQ(line.exchange.ReceiveByte(), 0x12);
}

TEST(ReceiveByte, AWaitThatCrossesMidnightEndsAboutTwoSecondsAfterItBegan) {
    for (const double start : {86397.5, 86398.0, 86399.9}) {
        Line line(start);
        EXPECT_EQ(line.exchange.ReceiveByte(), veloris::kTimeoutMarker) << start;
        // The time of day never passes a deadline of 86400 or more; the steady clock ends it.
        EXPECT_GT(line.clock.elapsedSeconds(), 1.9) << start;
        EXPECT_LT(line.clock.elapsedSeconds(), 2.8) << start;
    }
}

TEST(ReceiveByte, AClockSetBackDuringTheWaitDoesNotLengthenIt) {
    Line line(100.0);
    bool setBack = false;
    line.port.onEveryWait([&](ScriptedClock& clock) {
        if (!setBack && clock.elapsedSeconds() > 0.5) {
            clock.setTimeOfDay(100.0 - 3600.0);
            setBack = true;
        }
    });
    EXPECT_EQ(line.exchange.ReceiveByte(), veloris::kTimeoutMarker);
    EXPECT_TRUE(setBack);
    EXPECT_LT(line.clock.elapsedSeconds(), 2.2);
    EXPECT_GT(line.clock.elapsedSeconds(), 1.9);
}

TEST(SendByte, QueuesTheByteAtOnceWhenTheSendQueueIsEmpty) {
    Line line(100.0);
    line.exchange.SendByte(0x06);
    line.exchange.SendByte(0x00);
    EXPECT_EQ(line.port.sent(), (Bytes{0x06, 0x00}));
    EXPECT_EQ(line.log.text(), ">06>00");
    EXPECT_EQ(line.clock.elapsedSeconds(), 0.0);
}

TEST(SendByte, ASendQueueThatStaysFullLogsErrorSendAndQueuesNothing) {
    Line line(100.4);
    line.port.keepSendQueueFull(true);
    line.exchange.SendByte(0x06);
    EXPECT_TRUE(line.port.sent().empty());
    EXPECT_EQ(line.log.text(), ">Error Send");
    EXPECT_NEAR(line.clock.elapsedSeconds(), 1.6, 0.06);
}

TEST(SendByte, SomethingThatIsNoByteIsLoggedAndNotSent) {
    Line line(100.0);
    line.exchange.SendByte(veloris::kTimeoutMarker);
    line.exchange.SendByte(256);
    EXPECT_TRUE(line.port.sent().empty());
    EXPECT_EQ(line.log.text(), ">No Byte>No Byte");
}

TEST(ByteExchange, APortThatHangsUpEndsTheWaitAtOnceAndSaysSoOnce) {
    Line line(100.0);
    line.port.onEveryWait([&](ScriptedClock& clock) {
        if (clock.elapsedSeconds() >= 0.2) {
            line.port.hangUp();
        }
    });
    EXPECT_EQ(line.exchange.ReceiveByte(), veloris::kTimeoutMarker);
    EXPECT_LT(line.clock.elapsedSeconds(), 0.3);
    EXPECT_TRUE(line.exchange.portLost());
    line.exchange.SendByte(0x06);
    EXPECT_EQ(line.exchange.ReceiveByte(), veloris::kTimeoutMarker);
    EXPECT_TRUE(line.port.sent().empty());
    EXPECT_EQ(line.log.text(), " Port lost");
}

TEST(TakeInput, ReturnsKeptBytesFirstThenWhatThePortHolds) {
    Line line(100.0);
    line.port.arrive({0x01, 0x02, 0x03});
    EXPECT_EQ(line.exchange.ReceiveByte(), 0x01);
    line.port.arrive({0x04});
    EXPECT_EQ(line.exchange.TakeInput(), (Bytes{0x02, 0x03, 0x04}));
    EXPECT_TRUE(line.exchange.TakeInput().empty());
}
