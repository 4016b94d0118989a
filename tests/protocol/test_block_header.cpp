#include <gtest/gtest.h>

#include "protocol/block_header.h"
#include "support/scripted_port.h"

using namespace std::chrono_literals;
using veloris::Bytes;
using veloris::SendHeader;
using veloris::testing::ScriptedClock;
using veloris::testing::ScriptedPort;

namespace {

struct Board {
    ScriptedClock clock{100.0};
    ScriptedPort port{clock};
    veloris::StringLog log;
    veloris::ByteExchange exchange{port, log, clock};

    // The board answers the first byte it receives with `answer`, and nothing else.
    void answerCommandWith(std::uint8_t answer) {
        port.onSent([answer, answered = false](std::uint8_t, ScriptedPort& p) mutable {
            if (!answered) {
                answered = true;
                p.arrive({answer}, 1ms);
            }
        });
    }
};

} // namespace

TEST(SendHeader, ClampsTheCountAndSendsIt) {
    const std::pair<int, int> cases[] = {{9, 8}, {8, 8}, {1, 1}, {0, 4}, {-5, 4}, {4, 4}};
    for (const auto& [asked, sent] : cases) {
        Board board;
        board.answerCommandWith(0x06);
        EXPECT_EQ(SendHeader(board.exchange, 0x06, "F894", asked), sent) << asked;
        EXPECT_EQ(board.port.sent(), (Bytes{0x06, static_cast<std::uint8_t>(sent), 0xF8, 0x94}));
    }
}

TEST(SendHeader, ReadsTheAddressTextLenientlyKeepingSixteenBits) {
    const std::pair<const char*, Bytes> cases[] = {
        {"F894", {0xF8, 0x94}},    {"f89e", {0xF8, 0x9E}},
        {"94", {0x00, 0x94}},      {"", {0x00, 0x00}},
        {"F8G4", {0x00, 0xF8}},    {"1F894", {0xF8, 0x94}},
        {" F8 94 ", {0xF8, 0x94}}, {"FFFFFFFFFFFFF894", {0xF8, 0x94}}};
    for (const auto& [text, address] : cases) {
        Board board;
        board.answerCommandWith(0x05);
        SendHeader(board.exchange, 0x05, text, 4);
        EXPECT_EQ(Bytes(board.port.sent().begin() + 2, board.port.sent().end()), address) << text;
    }
}

TEST(SendHeader, LogsTheExchangeFromAnEmptiedLog) {
    Board echoed;
    echoed.log.setText("Open COM 1 9600,N,8,1");
    echoed.answerCommandWith(0x06);
    EXPECT_EQ(SendHeader(echoed.exchange, 0x06, "F894", 4), 4);
    EXPECT_EQ(echoed.log.text(), ">06<06>04>F8>94");

    Board silent;
    EXPECT_EQ(SendHeader(silent.exchange, 0x06, "F894", 4), 0);
    EXPECT_EQ(silent.log.text(), ">06<No Reply Error");
    EXPECT_EQ(silent.port.sent(), Bytes{0x06}); // nothing after the failed echo

    Board wrong;
    wrong.answerCommandWith(0x15);
    EXPECT_EQ(SendHeader(wrong.exchange, 0x06, "F894", 4), 0);
    EXPECT_EQ(wrong.log.text(), ">06<15 Error");
    EXPECT_EQ(wrong.port.sent(), Bytes{0x06});
}

TEST(SendHeader, DiscardsStaleInputSoItNeverPassesForTheEcho) {
    Board board;
    board.port.arrive({0x06, 0x06}); // left over from an earlier exchange
    EXPECT_EQ(SendHeader(board.exchange, 0x06, "F894", 4), 0);
    EXPECT_EQ(board.log.text(), ">06<No Reply Error");

    // Kept bytes of an earlier ReceiveByte are stale too.
    Board kept;
    kept.port.arrive({0x11, 0x06});
    EXPECT_EQ(kept.exchange.ReceiveByte(), 0x11);
    EXPECT_EQ(SendHeader(kept.exchange, 0x06, "F894", 4), 0);
}
