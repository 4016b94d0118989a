#pragma once
// Who holds a device: the processes whose open files this user can see in /proc.
// A process of another user (ModemManager runs as root) hides its open files from an
// ordinary user, but not its name.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "serial/serial_port.h"

namespace veloris {

// The program name of a process, e.g. "minicom"; empty when it cannot be read.
std::string ProcessName(int pid, const std::filesystem::path& proc = "/proc");

// Whether a process of that name runs, e.g. "ModemManager".
bool ProcessRunning(std::string_view name, const std::filesystem::path& proc = "/proc");

// Whether a process with this PID exists; one of another user counts too.
bool ProcessAlive(int pid);

// A process that has the character device `device` open, skipping the descriptor `ownFd`
// of this process. Another process is named before this one. Nothing when no process that
// this user can look into holds it.
std::optional<OpenFailure::Holder> FindDeviceHolder(dev_t device, int ownFd = -1,
                                                    const std::filesystem::path& proc = "/proc");

} // namespace veloris
