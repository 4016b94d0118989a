#include <gtest/gtest.h>

#include "serial/port_setup.h"
#include "sim/fake_port.h"

using namespace veloris;

TEST(OpenComm, ReplacesTheLogWithTheOpenLineAndOpensWithTheFixedSettings) {
    VirtualClock clock;
    FakePort port(clock);
    StringLog log;
    log.setText(">06<06>04>F8>A9<CC>CC"); // what the previous operation left

    port.setCommPort(1);
    EXPECT_FALSE(OpenComm(port, log).has_value());
    EXPECT_EQ(log.text(), "Open COM 1 9600,N,8,1");
    EXPECT_TRUE(port.portOpen());
    EXPECT_EQ(port.settings(), "9600,N,8,1");
    EXPECT_EQ(port.handshaking(), 0);
    port.close();

    port.setCommPort(4);
    EXPECT_FALSE(OpenComm(port, log).has_value());
    EXPECT_EQ(log.text(), "Open COM 4 9600,N,8,1");
    port.close();
    EXPECT_EQ(port.commPort(), 4); // closing keeps the number
}

TEST(OpenComm, AFailedOpeningLeavesTheOpenLineAndSaysWhy) {
    const std::pair<OpenFailure::Reason, const char*> cases[] = {
        {OpenFailure::Reason::Absent, "Open COM 2 9600,N,8,1 Error: no such port"},
        {OpenFailure::Reason::Busy, "Open COM 2 9600,N,8,1 Error: port busy"},
        {OpenFailure::Reason::PermissionDenied, "Open COM 2 9600,N,8,1 Error: permission denied"},
        {OpenFailure::Reason::BadSettings, "Open COM 2 9600,N,8,1 Error: settings refused"},
        {OpenFailure::Reason::Other, "Open COM 2 9600,N,8,1 Error: port not opened"},
    };
    for (const auto& [reason, line] : cases) {
        VirtualClock clock;
        FakePort port(clock);
        port.setCommPort(2);
        port.setOpenFailure(OpenFailure{reason, "/dev/ttyUSB0", "", {}});
        StringLog log;
        const auto failure = OpenComm(port, log);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(log.text(), line);
        EXPECT_FALSE(port.portOpen());
    }
}
