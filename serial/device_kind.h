#pragma once
// What a device path leads to, judged by the file itself (its type and device number),
// never by its name: a symlink or a by-id name is judged by where it leads.

#include <vector>

#include <sys/stat.h>

namespace veloris {

enum class DeviceKind {
    SerialLine,     // a UART or a USB serial adapter
    PseudoTerminal, // the slave side of a pty: socat, ser2net, the simulated board
    SystemConsole,  // carries the kernel's console; never talked to
    NotSerialPort,  // a regular file, a FIFO, a directory, /dev/null, a virtual console
};

// From stat() or fstat(), with the console's device numbers. A character device that is a
// terminal at all is known only once it is open: see IsTerminal.
DeviceKind KindOfDevice(const struct stat& status, const std::vector<dev_t>& consoles);

// Whether the open descriptor is a terminal line (answers tcgetattr); /dev/null is not.
bool IsTerminal(int fd);

} // namespace veloris
