#include "serial/system_console.h"

#include <filesystem>
#include <fstream>

#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace veloris {
namespace {

namespace fs = std::filesystem;

class SystemConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("veloris-console-" + std::to_string(::getpid()));
        fs::create_directories(root / "tty" / "console");
        sources = {root / "consoles", root / "tty"};
    }
    void TearDown() override { fs::remove_all(root); }

    void write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    fs::path root;
    ConsoleSources sources;
};

TEST_F(SystemConsoleTest, ReadsTheConsolesFromProcAndFromSysfs) {
    // A board computer with its console on the first UART, and a serial getty on a USB one.
    write(root / "consoles", "ttyS0                -W- (EC  p a)    4:64\n"
                             "ttyUSB0              -W- (E   p  )  188:0\n"
                             "garbage line without a number\n"
                             "bad                  -W- (E     )  x:y\n");
    // An active name that would climb out of sysfs is not followed.
    write(root / "tty" / "console" / "active", "tty0 ttyAMA0 ../../etc\n");
    write(root / "tty" / "tty0" / "dev", "4:0\n");
    write(root / "tty" / "ttyAMA0" / "dev", "204:64\n");

    const std::vector<dev_t> consoles = SystemConsoleDevices(sources);
    EXPECT_TRUE(IsSystemConsole(::makedev(4, 64), consoles));
    EXPECT_TRUE(IsSystemConsole(::makedev(188, 0), consoles));
    EXPECT_TRUE(IsSystemConsole(::makedev(4, 0), consoles));
    EXPECT_TRUE(IsSystemConsole(::makedev(204, 64), consoles));
    EXPECT_TRUE(IsSystemConsole(::makedev(5, 1), consoles)); // /dev/console itself
    EXPECT_FALSE(IsSystemConsole(::makedev(4, 65), consoles));
    EXPECT_FALSE(IsSystemConsole(::makedev(188, 1), consoles));
}

} // namespace
} // namespace veloris
