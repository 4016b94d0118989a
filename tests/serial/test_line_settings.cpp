#include "serial/line_settings.h"

#include <gtest/gtest.h>

namespace veloris {
namespace {

struct AcceptedCase {
    const char* text;
    LineSettings expected;
};

TEST(ParseLineSettings, ReadsEveryField) {
    const AcceptedCase cases[] = {
        {"9600,N,8,1", {9600, Parity::None, 8, 1}}, {"1200,e,7,2", {1200, Parity::Even, 7, 2}},
        {"110,O,5,1", {110, Parity::Odd, 5, 1}},    {"115200,M,6,1", {115200, Parity::Mark, 6, 1}},
        {"300,s,8,2", {300, Parity::Space, 8, 2}},
    };
    for (const AcceptedCase& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<LineSettings> parsed = ParseLineSettings(c.text);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->baud, c.expected.baud);
        EXPECT_EQ(parsed->parity, c.expected.parity);
        EXPECT_EQ(parsed->dataBits, c.expected.dataBits);
        EXPECT_EQ(parsed->stopBits, c.expected.stopBits);
    }
}

TEST(ParseLineSettings, RefusesMalformedText) {
    const char* const refused[] = {
        "",
        "9600",
        "9600,N,8",
        "9600,N,8,1,",
        "9600,X,8,1",
        "abc,N,8,1",
        "9600,N,9,1",
        "9600,N,4,1",
        "9600,N,8,1.5",
        "9600,N,8,3",
        "9601,N,8,1",
        " 9600,N,8,1",
        "9600,NN,8,1",
        "9600,,8,1",
        "-9600,N,8,1",
        "9600,N,8,1 ",
        "9600;N;8;1",
        "96OO,N,8,1",
    };
    for (const char* text : refused) {
        EXPECT_FALSE(ParseLineSettings(text).has_value()) << '"' << text << '"';
    }
}

TEST(TermiosSpeed, MapsStandardRates) {
    EXPECT_EQ(TermiosSpeed(110), std::optional<speed_t>(B110));
    EXPECT_EQ(TermiosSpeed(9600), std::optional<speed_t>(B9600));
    EXPECT_EQ(TermiosSpeed(115200), std::optional<speed_t>(B115200));
    EXPECT_FALSE(TermiosSpeed(9601).has_value());
}

} // namespace
} // namespace veloris
