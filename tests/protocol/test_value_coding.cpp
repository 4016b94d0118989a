#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "protocol/lenient_number.h"
#include "protocol/parameter_slots.h"

using veloris::EncodeValue;
using veloris::ReadDecimal;

TEST(LenientNumber, ReadsDecimalTextsTheWayTheWindowExpects) {
    const std::pair<const char*, double> cases[] = {
        {"100", 100},   {"   100", 100}, {"36 000", 36000}, {"12abc", 12}, {"12,5", 12},
        {"", 0},        {"abc", 0},      {"-1", -1},        {"+7", 7},     {"100.5", 100.5},
        {"\t1\n2", 12}, {"- 3", -3},     {".5", 0.5},       {"5.", 5},     {"-", 0},
        {"1e9", 1},     {"0x10", 0},     {"1.2.3", 1.2},    {"  ", 0},     {"0.25", 0.25}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ReadDecimal(text), value) << '"' << text << '"';
    }
    EXPECT_EQ(ReadDecimal(std::string(400, '9')), HUGE_VAL);
    EXPECT_EQ(ReadDecimal("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(LenientNumber, ReadsHexTextsKeepingTheLowBits) {
    EXPECT_EQ(veloris::ReadHex("F894"), 0xF894u);
    EXPECT_EQ(veloris::ReadHex("f89e"), 0xF89Eu);
    EXPECT_EQ(veloris::ReadHex("F8G4"), 0xF8u);
    EXPECT_EQ(veloris::ReadHex("  1F 894"), 0x1F894u);
    EXPECT_EQ(veloris::ReadHex("&HF894"), 0u);
    EXPECT_EQ(veloris::ReadHex(std::string(100, 'F') + "1234") & 0xFFFF, 0x1234u);
}

TEST(EncodeValue, CodesValuesIntoTheRecordText) {
    const std::pair<const char*, const char*> cases[] = {{"100", "CC 00 64 DD"},
                                                         {"1000", "CC 03 E8 DD"},
                                                         {"35999", "CC 8C 9F DD"},
                                                         {"65535", "CC FF FF DD"},
                                                         {"", "CC 00 00 DD"},
                                                         {"abc", "CC 00 00 DD"},
                                                         {"-1", "CC FF FF DD"},
                                                         {"65536", "CC 00 00 DD"},
                                                         {"70000", "CC 11 70 DD"},
                                                         {"100.5", "CC 00 64 DD"},
                                                         {"101.5", "CC 00 66 DD"},
                                                         {"255.5", "CC 00 00 DD"},
                                                         {"   100", "CC 00 64 DD"},
                                                         {"36 000", "CC 8C A0 DD"},
                                                         {"12abc", "CC 00 0C DD"},
                                                         {"12,5", "CC 00 0C DD"},
                                                         {"-256", "CC FF 00 DD"},
                                                         {"2147483647", "CC FF FF DD"},
                                                         {"-2147483648", "CC 00 00 DD"},
                                                         {"-2147483647", "CC 00 01 DD"}};
    for (const auto& [text, record] : cases) {
        EXPECT_EQ(EncodeValue(text), record) << '"' << text << '"';
    }
    // Far beyond any integer: no crash, still a four-pair record.
    EXPECT_EQ(EncodeValue(std::string(5000, '9')).size(), 11u);
    EXPECT_EQ(EncodeValue("1" + std::string(30, '0')).size(), 11u);
}

TEST(EncodeValue, EveryValueComesBackThroughTheReadSideRule) {
    for (int v = 0; v <= 65535; ++v) {
        const std::string record = EncodeValue(std::to_string(v));
        unsigned open = 0, high = 0, low = 0, close = 0;
        ASSERT_EQ(std::sscanf(record.c_str(), "%2X %2X %2X %2X", &open, &high, &low, &close), 4);
        ASSERT_EQ(open, 0xCCu);
        ASSERT_EQ(close, 0xDDu);
        ASSERT_EQ(veloris::RecordValue(static_cast<int>(high), static_cast<int>(low)), v) << v;
    }
    EXPECT_EQ(veloris::RecordValue(0x01, 0x02), 258);
}
