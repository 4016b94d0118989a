// The paced cases against the simulated board, and the stand-ins they run the operations
// with: the port that times the program's own work and the log that counts time-outs.

#include <gtest/gtest.h>

#include <thread>

#include "bench/counting_log.h"
#include "bench/line_cases.h"
#include "bench/timed_port.h"
#include "sim/board_behaviour.h"

using namespace veloris;
using namespace veloris::bench;
using namespace std::chrono_literals;

namespace {

// Hands out one byte per arrival the test announces, and keeps what is sent.
class HandPort final : public SerialPort {
  public:
    Bytes waiting;
    Bytes sent;

    void setCommPort(int) override {}
    int commPort() const override { return 1; }
    void setSettings(std::string) override {}
    void setHandshaking(int) override {}
    std::optional<OpenFailure> open() override {
        std::this_thread::sleep_for(2ms);
        return std::nullopt;
    }
    void close() override {}
    bool portOpen() const override { return true; }
    std::string deviceName() const override { return "hand"; }
    int inBufferCount() override { return static_cast<int>(waiting.size()); }
    Bytes input() override { return std::exchange(waiting, {}); }
    int outBufferCount() override { return 0; }
    void output(std::span<const std::uint8_t> bytes) override {
        sent.insert(sent.end(), bytes.begin(), bytes.end());
    }
    PortWait waitForInput(std::chrono::milliseconds) override { return PortWait::TimedOut; }
    PortWait waitForDrain(std::chrono::milliseconds) override { return PortWait::Ready; }
    bool lost() const override { return false; }
};

void ExpectRanAsTheProtocolNeeds(const PacedCase& paced) {
    EXPECT_TRUE(paced.problems.empty()) << paced.title << ": " << paced.problems.front();
    EXPECT_EQ(paced.measuredBytes, paced.expectedBytes) << paced.title;
    EXPECT_TRUE(paced.bytesSteady) << paced.title;
    // The board paces every byte, so no run can beat the line by more than the last byte,
    // which the program only queues.
    const double limitMs = std::chrono::duration<double, std::milli>(paced.lineLimit).count();
    const double byteMs = std::chrono::duration<double, std::milli>(kLineByteTime).count();
    EXPECT_GE(paced.wallMs.min, limitMs - 2 * byteMs) << paced.title;
    EXPECT_GT(paced.turnaroundMicros.median, 0) << paced.title;
}

} // namespace

TEST(LineCases, EachOperationMovesTheBytesTheProtocolNeedsAndNoMore) {
    const PacedCase read = MeasureRead(2);
    EXPECT_EQ(read.expectedBytes.total(), 52u);
    ExpectRanAsTheProtocolNeeds(read);

    const PacedCase write = MeasureWrite(2);
    EXPECT_EQ(write.expectedBytes.total(), 56u);
    ExpectRanAsTheProtocolNeeds(write);

    const PacedCase load = MeasureProgramLoad(2);
    EXPECT_EQ(load.expectedBytes.total(), 32u);
    ExpectRanAsTheProtocolNeeds(load);
}

TEST(TimedPort, CountsFromAnArrivalToTheFirstAnswerOnlyAndTimesOpening) {
    HandPort hand;
    TimedPort port(hand);
    EXPECT_FALSE(port.open().has_value());
    EXPECT_GE(port.openClose(), 2ms);

    const std::uint8_t command = 0x06;
    port.output({&command, 1}); // nothing arrived yet: no turnaround
    EXPECT_EQ(port.answers(), 0);

    hand.waiting = {0x06};
    EXPECT_EQ(port.input(), Bytes{0x06});
    EXPECT_TRUE(port.input().empty()); // an empty look is no arrival
    std::this_thread::sleep_for(1ms);
    const std::uint8_t header[] = {0x04, 0xF8, 0x94};
    for (const std::uint8_t byte : header) {
        port.output({&byte, 1});
    }
    EXPECT_EQ(port.answers(), 1);
    EXPECT_GE(port.turnaround(), 1ms);
    EXPECT_EQ(hand.sent, (Bytes{0x06, 0x04, 0xF8, 0x94}));

    port.resetTimes();
    EXPECT_EQ(port.answers(), 0);
    EXPECT_EQ(port.turnaround(), TimedPort::Clock::duration{});
    EXPECT_EQ(port.openClose(), TimedPort::Clock::duration{});
}

TEST(BenchStandIns, TheLogCountsOnlyTimeOuts) {
    CountingLog log;
    log.setText("Open COM 1 9600,N,8,1");
    log.append(">06");
    log.append(kNoReplyEntry);
    log.append(" Error");
    log.setText("");
    log.append(kNoReplyEntry);
    EXPECT_EQ(log.noReplies(), 2);
    EXPECT_EQ(log.text(), "<No Reply");
    log.resetCount();
    EXPECT_EQ(log.noReplies(), 0);
}
