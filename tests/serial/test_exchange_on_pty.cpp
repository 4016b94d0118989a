// The byte exchange and the block header through the real termios port, against the
// simulated board on a pseudo-terminal.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include "protocol/block_header.h"
#include "serial/termios_port.h"
#include "sim/pty_board.h"

using namespace std::chrono_literals;
using namespace veloris;

namespace {

struct PtyLine {
    explicit PtyLine(BoardSetup setup = {})
        : board(std::move(setup)), port([this](int) { return board.slavePath(); }) {
        EXPECT_FALSE(port.open().has_value());
    }
    ~PtyLine() { port.close(); }

    PtyBoard board;
    TermiosPort port;
    SystemClock clock;
    StringLog log;
    ByteExchange exchange{port, log, clock};
};

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A read of one slot as the read operation does it: header, then each byte echoed back.
Bytes ReadRecord(ByteExchange& exchange, std::string_view address) {
    Bytes record;
    const int count = SendHeader(exchange, kReadCommand, address, 4);
    for (int i = 0; i < count; ++i) {
        const ByteValue byte = exchange.ReceiveByte();
        if (byte < 0) {
            break;
        }
        exchange.SendByte(byte);
        record.push_back(static_cast<std::uint8_t>(byte));
    }
    return record;
}

} // namespace

TEST(ExchangeOnPty, ReadsARecordThroughTheRealPort) {
    PtyLine line;
    line.board.setSlotValue(0xF8A9, 0x0164);
    EXPECT_EQ(ReadRecord(line.exchange, "F8A9"), (Bytes{0xCC, 0x01, 0x64, 0xDD}));
    EXPECT_EQ(line.log.text(), ">06<06>04>F8>A9<CC>CC<01>01<64>64<DD>DD");
    ASSERT_TRUE(line.board.waitForReceived(8, 2s));
    EXPECT_EQ(line.board.receivedByBoard(),
              (Bytes{0x06, 0x04, 0xF8, 0xA9, 0xCC, 0x01, 0x64, 0xDD}));
}

TEST(ExchangeOnPty, ARecordSentInOneBurstIsStillReadByteByByte) {
    PtyLine line(BoardBehaviour::Burst());
    line.board.setSlotValue(0xF894, 36000);
    // The board sends all four bytes at once: one read of the port brings several.
    EXPECT_EQ(ReadRecord(line.exchange, "F894"), (Bytes{0xCC, 0x8C, 0xA0, 0xDD}));
    EXPECT_EQ(line.log.text(), ">06<06>04>F8>94<CC>CC<8C>8C<A0>A0<DD>DD");
}

TEST(ExchangeOnPty, ASilentWaitSleepsInsteadOfSpinning) {
    PtyLine line(BoardBehaviour::Silent());
    const auto start = std::chrono::steady_clock::now();
    const double cpuBefore = ThreadCpuSeconds();
    EXPECT_EQ(line.exchange.ReceiveByte(), kTimeoutMarker);
    const double cpu = ThreadCpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(wall, 1.45);
    EXPECT_LT(wall, 2.7);
    EXPECT_LT(cpu, 0.05) << "a silent wait of " << wall << " s cost " << cpu << " s of CPU";
    std::printf("silent ReceiveByte: %.3f s wall, %.2f ms CPU\n", wall, cpu * 1000);
}

TEST(ExchangeOnPty, PerByteRoundTripCostsNextToNothing) {
    PtyLine line;
    // Echo round trips with the board: the host sends the command, the board echoes it.
    constexpr int kRounds = 200;
    double worst = 0;
    double total = 0;
    for (int i = 0; i < kRounds; ++i) {
        (void)line.exchange.TakeInput();
        const auto start = std::chrono::steady_clock::now();
        line.exchange.SendByte(0x01);
        ASSERT_EQ(line.exchange.ReceiveByte(), 0x01);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        worst = std::max(worst, seconds);
        total += seconds;
        // Leave the debug monitor again so the next 0x01 is answered the same way.
        line.board.withBoard([](BoardModel& board) { board.reconnect(); });
    }
    std::printf("byte round trip through the pty: mean %.1f us, worst %.1f us\n",
                total / kRounds * 1e6, worst * 1e6);
    EXPECT_LT(total / kRounds, 0.005);
}

TEST(ExchangeOnPty, APulledCableEndsTheWaitAtOnce) {
    PtyLine line(BoardBehaviour::DisconnectAfter(1));
    const auto start = std::chrono::steady_clock::now();
    line.exchange.SendByte(0x06);
    EXPECT_EQ(line.exchange.ReceiveByte(), kTimeoutMarker);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_TRUE(line.exchange.portLost());
    EXPECT_EQ(line.log.text(), ">06 Port lost");
}
