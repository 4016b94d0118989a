#include <gtest/gtest.h>

#include "protocol/hex_transfer.h"
#include "support/scripted_port.h"

using namespace std::chrono_literals;
using veloris::Bytes;
using veloris::SendHexBytes;
using veloris::testing::ScriptedClock;
using veloris::testing::ScriptedPort;

namespace {

struct Board {
    Board() { port.echoEverything(); }
    ScriptedClock clock{100.0};
    ScriptedPort port{clock};
    veloris::StringLog log;
    veloris::ByteExchange exchange{port, log, clock};
};

} // namespace

TEST(SendHexBytes, SendsEachPairAwaitsItsEchoThenSendsTheLastEchoAgain) {
    Board board;
    EXPECT_EQ(SendHexBytes(board.exchange, "CC 03 E8 DD", 4), 0);
    EXPECT_EQ(board.port.sent(), (Bytes{0xCC, 0x03, 0xE8, 0xDD, 0xDD}));
    EXPECT_EQ(board.log.text(), ">CC<CC>03<03>E8<E8>DD<DD>DD");

    Board stop;
    SendHexBytes(stop.exchange, "03 00", 2);
    EXPECT_EQ(stop.log.text(), ">03<03>00<00>00");
}

TEST(SendHexBytes, ReadsPairsApartOrSideBySideInEitherCase) {
    for (const char* text : {"CC03E8DD", "   CC  03 E8     DD", "cc 03 e8 dd", "Cc03 e8Dd"}) {
        Board board;
        SendHexBytes(board.exchange, text, 4);
        EXPECT_EQ(board.port.sent(), (Bytes{0xCC, 0x03, 0xE8, 0xDD, 0xDD})) << text;
        EXPECT_EQ(board.log.text(), ">CC<CC>03<03>E8<E8>DD<DD>DD") << text;
    }
    // The program-load text: the second "06" and a kept byte side by side.
    Board board;
    SendHexBytes(board.exchange, "06 0612 34", 4);
    EXPECT_EQ(board.port.sent(), (Bytes{0x06, 0x06, 0x12, 0x34, 0x34}));
}

TEST(SendHexBytes, SendsOnlyCountPairs) {
    Board two;
    SendHexBytes(two.exchange, "CC 03 E8 DD", 2);
    EXPECT_EQ(two.port.sent(), (Bytes{0xCC, 0x03, 0x03}));

    for (const int count : {0, -3}) {
        Board none;
        EXPECT_EQ(SendHexBytes(none.exchange, "CC 03 E8 DD", count), 0);
        EXPECT_EQ(none.port.sent(), Bytes{0x00});
        EXPECT_EQ(none.log.text(), ">00");
    }
}

TEST(SendHexBytes, AMissingEchoEndsThePairsAndTheClosingStepSendsNoByte) {
    Board board;
    board.port.onSent([sent = 0](std::uint8_t byte, ScriptedPort& port) mutable {
        if (++sent == 1) {
            port.arrive({byte}, 1ms); // echoes 0xCC only
        }
    });
    EXPECT_EQ(SendHexBytes(board.exchange, "CC 03 E8 DD", 4), 0);
    EXPECT_EQ(board.port.sent(), (Bytes{0xCC, 0x03}));
    EXPECT_EQ(board.log.text(), ">CC<CC>03<No Reply>No Byte");
}

TEST(SendHexBytes, TheClosingByteIsTheLastByteReceivedNotTheLastSent) {
    Board board;
    board.port.onSent([](std::uint8_t byte, ScriptedPort& port) {
        port.arrive({byte == 0xDD ? std::uint8_t{0x41} : byte}, 1ms);
    });
    SendHexBytes(board.exchange, "CC 03 E8 DD", 4);
    EXPECT_EQ(board.log.text(), ">CC<CC>03<03>E8<E8>DD<41>41");
}

TEST(SendHexBytes, NonHexPairsReadAsTheirLeadingDigits) {
    EXPECT_EQ(veloris::HexPairValue("G1"), 0x00);
    EXPECT_EQ(veloris::HexPairValue("1G"), 0x01);
    EXPECT_EQ(veloris::HexPairValue("3 "), 0x03);
    EXPECT_EQ(veloris::HexPairValue(""), 0x00);
    EXPECT_EQ(veloris::HexPairValue("F"), 0x0F);

    Board board;
    SendHexBytes(board.exchange, "G1 1G", 2);
    EXPECT_EQ(board.port.sent(), (Bytes{0x00, 0x01, 0x01}));
}

TEST(SendHexBytes, ATextShorterThanTheCountSendsZerosWithoutFailing) {
    Board board;
    SendHexBytes(board.exchange, "C", 3);
    EXPECT_EQ(board.port.sent(), (Bytes{0x0C, 0x00, 0x00, 0x00}));
}
