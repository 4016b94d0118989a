// The port under pressure: a line whose other end never reads, and a line flooded at full
// speed. Neither may make the byte exchange log a byte that never left, hold memory
// without bound, or keep a read from ending.

#include <atomic>
#include <regex>
#include <thread>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "serial/byte_exchange.h"
#include "support/pty_pair.h"

namespace veloris {
namespace {

using namespace testing_support;

class LinePressureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ready());
        ASSERT_FALSE(port.open().has_value());
    }

    PtyPair pty;
    TermiosPort port{[this](int) { return pty.slave(); }};
    StringLog log;
    SystemClock clock;
    ByteExchange exchange{port, log, clock};
};

std::uint8_t Filler(std::size_t i) {
    return static_cast<std::uint8_t>(i % 251);
}

TEST_F(LinePressureTest, AStalledLineGivesErrorSendAndLosesNoQueuedByte) {
    // Fill the line until the driver takes no more: the rest waits in the port. A pty makes
    // room in steps for a moment after it first says full, so the queue must stay full.
    Bytes filler;
    const auto start = steady_clock::now();
    for (;;) {
        ASSERT_LT(steady_clock::now() - start, 10s) << "the line never filled";
        if (port.outBufferCount() == 0) {
            Bytes block(256);
            for (std::uint8_t& byte : block) {
                byte = Filler(filler.size());
                filler.push_back(byte);
            }
            port.output(block);
            continue;
        }
        std::this_thread::sleep_for(200ms);
        if (port.outBufferCount() > 0) {
            break;
        }
    }
    EXPECT_LE(port.outBufferCount(), static_cast<int>(TermiosPort::kSendBufferBytes));

    exchange.SendByte(0x06);
    EXPECT_EQ(log.text(), ">Error Send");

    // The far end reads at last: the port hands on what it kept as the line drains, and
    // every byte queued comes, in order, while the refused one does not.
    Bytes received;
    std::thread farEnd([&] { received = pty.receive(filler.size(), 3s); });
    EXPECT_EQ(port.waitForDrain(5s), PortWait::Ready);
    farEnd.join();
    EXPECT_EQ(received, filler);
    EXPECT_TRUE(pty.receive(1, 50ms).empty());
    exchange.SendByte(0x07);
    EXPECT_EQ(log.text(), ">Error Send>07");
    EXPECT_EQ(pty.receive(1, 1s), Bytes{0x07});
}

// Writes 0x06 on the far end as fast as the line takes it, until stopped.
class Flood {
  public:
    explicit Flood(int master)
        : thread_([this, master] {
              const Bytes block(4096, 0x06);
              while (!stop_) {
                  pollfd watched{master, POLLOUT, 0};
                  if (::poll(&watched, 1, 10) == 1 &&
                      ::write(master, block.data(), block.size()) < 0 && errno != EAGAIN) {
                      return;
                  }
              }
          }) {}
    ~Flood() {
        stop_ = true;
        thread_.join();
    }
    Flood(const Flood&) = delete;
    Flood& operator=(const Flood&) = delete;

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

long PeakRssKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(LinePressureTest, AFloodIsReadWithinTheBufferAndTheReadEnds) {
    ASSERT_EQ(::fcntl(pty.master(), F_SETFL, ::fcntl(pty.master(), F_GETFL) | O_NONBLOCK), 0);
    const Flood flood(pty.master());
    std::this_thread::sleep_for(100ms);

    const auto start = steady_clock::now();
    for (int round = 0; round < 50; ++round) {
        const Bytes taken = port.input();
        EXPECT_LE(taken.size(), TermiosPort::kReceiveBufferBytes);
    }
    // A read's blocks as the board protocol runs them: discard, command, echo, record.
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_LE(exchange.TakeInput().size(), 2 * TermiosPort::kReceiveBufferBytes);
        exchange.SendByte(0x06);
        EXPECT_EQ(exchange.ReceiveByte(), 0x06);
        for (int i = 0; i < 4; ++i) {
            exchange.SendByte(exchange.ReceiveByte());
        }
    }
    EXPECT_LT(steady_clock::now() - start, 2s);
    EXPECT_GT(port.discardedInput(), 0u);
    EXPECT_LT(PeakRssKilobytes(), 60 * 1024);
}

} // namespace
} // namespace veloris
