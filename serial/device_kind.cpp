#include "serial/device_kind.h"

#include <sys/sysmacros.h>
#include <termios.h>

#include "serial/system_console.h"

namespace veloris {

namespace {

// The kernel's fixed device numbers (Documentation/admin-guide/devices.txt).
constexpr unsigned kLegacyPtySlaveMajor = 3;
constexpr unsigned kVirtualConsoleMajor = 4; // minors 0 to 63; ttyS0 and up from 64
constexpr unsigned kFirstSerialMinorOnMajor4 = 64;
constexpr unsigned kTtyAuxMajor = 5; // 5:0 is /dev/tty, this process's own terminal
constexpr unsigned kUnix98PtySlaveMajor = 136;
constexpr unsigned kUnix98PtySlaveMajorCount = 8;

bool IsPseudoTerminalSlave(unsigned major) {
    return major == kLegacyPtySlaveMajor ||
           (major >= kUnix98PtySlaveMajor &&
            major < kUnix98PtySlaveMajor + kUnix98PtySlaveMajorCount);
}

bool IsVirtualConsoleOrOwnTerminal(unsigned major, unsigned minor) {
    return (major == kVirtualConsoleMajor && minor < kFirstSerialMinorOnMajor4) ||
           (major == kTtyAuxMajor && minor == 0);
}

} // namespace

DeviceKind KindOfDevice(const struct stat& status, const std::vector<dev_t>& consoles) {
    if (!S_ISCHR(status.st_mode)) {
        return DeviceKind::NotSerialPort;
    }
    if (IsSystemConsole(status.st_rdev, consoles)) {
        return DeviceKind::SystemConsole;
    }
    const unsigned major = ::major(status.st_rdev);
    const unsigned minor = ::minor(status.st_rdev);
    if (IsVirtualConsoleOrOwnTerminal(major, minor)) {
        return DeviceKind::NotSerialPort;
    }
    if (IsPseudoTerminalSlave(major)) {
        return DeviceKind::PseudoTerminal;
    }
    return DeviceKind::SerialLine;
}

bool IsTerminal(int fd) {
    termios settings{};
    return ::tcgetattr(fd, &settings) == 0;
}

} // namespace veloris
