#pragma once
// The serial line that carries the kernel's console and, often, a login prompt. Bytes sent
// to it reach a shell, never a board, so it is neither listed nor opened.
//
// A device is judged by its device number, not by its name: a symlink, a by-id name or a
// second node for the same line all lead to the same number.

#include <filesystem>
#include <vector>

#include <sys/types.h>

namespace veloris {

struct ConsoleSources {
    std::filesystem::path procConsoles = "/proc/consoles";
    std::filesystem::path ttyClassDir = "/sys/class/tty";
};

// The device numbers of the system console: every line of /proc/consoles (whose last field
// is "major:minor"), every name in <ttyClassDir>/console/active (through
// <ttyClassDir>/<name>/dev), and /dev/console itself. What cannot be read adds nothing.
std::vector<dev_t> SystemConsoleDevices(const ConsoleSources& sources = {});

// Whether `device` is one of `consoles`.
bool IsSystemConsole(dev_t device, const std::vector<dev_t>& consoles);

} // namespace veloris
