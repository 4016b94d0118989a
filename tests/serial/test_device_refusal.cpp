// Devices the port refuses before a byte is sent: the system console, judged by device
// number whatever the name, and anything that is no serial line.

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include "serial/device_kind.h"
#include "support/pty_pair.h"

namespace veloris {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

class DeviceRefusalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("veloris-refusal-" + std::to_string(::getpid()));
        fs::create_directories(dir / "locks");
        system.lockDir = dir / "locks";
    }
    void TearDown() override { fs::remove_all(dir); }

    std::optional<OpenFailure> openAt(const std::string& device) {
        TermiosPort port([device](int) { return device; }, system);
        return port.open();
    }

    fs::path dir;
    PortSystem system;
};

dev_t DeviceNumber(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_rdev : dev_t{};
}

TEST(KindOfDevice, ByDeviceNumber) {
    const auto kind = [](mode_t type, unsigned major, unsigned minor) {
        struct stat status {};
        status.st_mode = type;
        status.st_rdev = ::makedev(major, minor);
        return KindOfDevice(status, {::makedev(4, 64)});
    };
    EXPECT_EQ(kind(S_IFCHR, 188, 0), DeviceKind::SerialLine);     // ttyUSB0
    EXPECT_EQ(kind(S_IFCHR, 166, 1), DeviceKind::SerialLine);     // ttyACM1
    EXPECT_EQ(kind(S_IFCHR, 4, 65), DeviceKind::SerialLine);      // ttyS1
    EXPECT_EQ(kind(S_IFCHR, 4, 64), DeviceKind::SystemConsole);   // ttyS0, the console here
    EXPECT_EQ(kind(S_IFCHR, 136, 7), DeviceKind::PseudoTerminal); // /dev/pts/7
    EXPECT_EQ(kind(S_IFCHR, 4, 1), DeviceKind::NotSerialPort);    // tty1, a virtual console
    EXPECT_EQ(kind(S_IFCHR, 5, 0), DeviceKind::NotSerialPort);    // /dev/tty
    EXPECT_EQ(kind(S_IFIFO, 0, 0), DeviceKind::NotSerialPort);
}

TEST_F(DeviceRefusalTest, TheConsoleIsRefusedByWhereTheNameLeads) {
    PtyPair console;
    PtyPair other;
    ASSERT_TRUE(console.ready() && other.ready());
    system.consoleDevices = [&] { return std::vector<dev_t>{DeviceNumber(console.slave())}; };
    // A harmless name that leads to the console, and the console's name leading elsewhere.
    fs::create_symlink(console.slave(), dir / "ttyUSB0");
    fs::create_symlink(other.slave(), dir / "console");

    for (const std::string& device : {console.slave(), (dir / "ttyUSB0").string()}) {
        SCOPED_TRACE(device);
        const std::optional<OpenFailure> failure = openAt(device);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->reason, OpenFailure::Reason::SystemConsole);
        EXPECT_EQ(failure->device, device);
    }
    EXPECT_TRUE(console.receive(1, 50ms).empty());
    EXPECT_FALSE(openAt((dir / "console").string()).has_value());
    EXPECT_TRUE(fs::is_empty(dir / "locks"));
}

TEST_F(DeviceRefusalTest, WhatIsNoSerialLineIsNamedSoWithNothingSent) {
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int fifoReader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fifoReader, 0);
    const fs::path file = dir / "file";
    std::ofstream(file) << "keep";

    for (const fs::path& device : {fs::path("/dev/null"), fifo, file, dir}) {
        SCOPED_TRACE(device);
        const std::optional<OpenFailure> failure = openAt(device.string());
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->reason, OpenFailure::Reason::NotSerialPort);
        EXPECT_EQ(failure->device, device.string());
        EXPECT_TRUE(failure->detail.empty()) << failure->detail;
    }
    char byte = 0;
    EXPECT_LE(::read(fifoReader, &byte, 1), 0);
    ::close(fifoReader);
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    EXPECT_TRUE(fs::is_empty(dir / "locks"));
}

} // namespace
} // namespace veloris
