// Noise put on the simulated board's line: every byte reaches the far end, in order, also
// when there is far more than the line holds at once, and none enters the board's trace.
// The port itself keeps only a receive buffer's worth of a burst that size; so the noise is
// read here through the device as it is, and the port's share is checked alongside.

#include <gtest/gtest.h>

#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "serial/termios_port.h"
#include "sim/pty_board.h"

namespace veloris {
namespace {

using namespace std::chrono_literals;

TEST(PtyBoardNoise, ReachesTheFarEndWholeAndInOrderPastWhatTheLineHolds) {
    PtyBoard board;
    const int line = ::open(board.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(line, 0);
    termios raw{};
    ASSERT_EQ(::tcgetattr(line, &raw), 0);
    ::cfmakeraw(&raw);
    ASSERT_EQ(::tcsetattr(line, TCSANOW, &raw), 0);

    Bytes noise(40'000);
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    board.inject(noise);
    Bytes received;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (received.size() < noise.size() && std::chrono::steady_clock::now() < deadline) {
        pollfd watched{line, POLLIN, 0};
        if (::poll(&watched, 1, 50) == 1) {
            std::uint8_t chunk[4096];
            const ssize_t got = ::read(line, chunk, sizeof chunk);
            ASSERT_GT(got, 0);
            received.insert(received.end(), chunk, chunk + got);
        }
    }
    ::close(line);
    EXPECT_EQ(received, noise);
    EXPECT_EQ(board.injectedPending(), 0u);
    EXPECT_TRUE(board.sentByBoard().empty());
}

TEST(PtyBoardNoise, ThePortKeepsAReceiveBufferOfABurstAndCountsTheRest) {
    PtyBoard board;
    TermiosPort port([&](int) { return board.slavePath(); });
    ASSERT_FALSE(port.open().has_value());
    board.inject(Bytes(40'000, 0x55));
    std::size_t received = 0;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (received + port.discardedInput() < 40'000 &&
           std::chrono::steady_clock::now() < deadline) {
        if (port.waitForInput(50ms) == PortWait::Lost) {
            break;
        }
        const Bytes more = port.input();
        EXPECT_LE(more.size(), TermiosPort::kReceiveBufferBytes);
        received += more.size();
    }
    EXPECT_EQ(received + port.discardedInput(), 40'000u);
}

} // namespace
} // namespace veloris
