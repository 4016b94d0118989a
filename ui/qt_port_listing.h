#pragma once
// The serial ports present on this machine, as Qt finds them, for the COMn mapping.
//
// Qt 6.4 reports a built-in UART (/dev/ttyS*) with an empty description and maker, and on
// kernels that bind the node to the serial-base "port" driver it no longer asks the UART
// whether it exists, so the kernel's empty ttyS1 to ttyS3 nodes come through as well. The
// listing asks sysfs for the UART type of each ttyS node to tell them apart.

#include <filesystem>
#include <string>
#include <vector>

#include "serial/port_mapping.h"

namespace veloris {

// Every port Qt lists, as PresentPort; fresh on each call.
std::vector<PresentPort> ListPresentPorts();

// Whether the ttyS node `portName` (e.g. "ttyS1") has a UART behind it, by the kernel's
// UART type in <ttyClassDir>/<portName>/type: 0 is "unknown", no UART. When the file
// cannot be read the node is taken as real, so a port is never hidden by a guess.
bool HasUartBehind(const std::string& portName,
                   const std::filesystem::path& ttyClassDir = "/sys/class/tty");

} // namespace veloris
