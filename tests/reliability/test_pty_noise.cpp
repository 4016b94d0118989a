// Noise put on the simulated board's line: every byte reaches the host, in order, also
// when there is far more than the line holds at once, and none enters the board's trace.

#include <gtest/gtest.h>

#include <chrono>

#include "serial/termios_port.h"
#include "sim/pty_board.h"

namespace veloris {
namespace {

using namespace std::chrono_literals;

TEST(PtyBoardNoise, ReachesTheHostWholeAndInOrderPastWhatTheLineHolds) {
    PtyBoard board;
    TermiosPort port([&](int) { return board.slavePath(); });
    ASSERT_FALSE(port.open().has_value());

    Bytes noise(40'000);
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    board.inject(noise);
    Bytes received;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (received.size() < noise.size() && std::chrono::steady_clock::now() < deadline) {
        if (port.waitForInput(50ms) == PortWait::Lost) {
            break;
        }
        const Bytes more = port.input();
        received.insert(received.end(), more.begin(), more.end());
    }
    EXPECT_EQ(received, noise);
    EXPECT_EQ(board.injectedPending(), 0u);
    EXPECT_TRUE(board.sentByBoard().empty());
}

} // namespace
} // namespace veloris
