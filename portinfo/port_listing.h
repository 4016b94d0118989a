#pragma once
// The serial ports present on this machine, as Qt finds them, for the COMn mapping and for
// any front end that lists them. Qt Core only: the window and the command line share it.
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

// Every port Qt lists, as PresentPort with what the system knows of it; fresh on each call.
// The system console is marked, so that OrderPorts leaves it out.
std::vector<PresentPort> ListPresentPorts();

// Whether the ttyS node `portName` (e.g. "ttyS1") has a UART behind it, by the kernel's
// UART type in <ttyClassDir>/<portName>/type: 0 is "unknown", no UART. When the file
// cannot be read the node is taken as real, so a port is never hidden by a guess.
bool HasUartBehind(const std::string& portName,
                   const std::filesystem::path& ttyClassDir = "/sys/class/tty");

// The name in `byIdDir` that leads to `device`, e.g.
// "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"; empty when none does.
// udev makes these names from the adapter's maker, model and serial number, so they stay
// the same whichever ttyUSB number the adapter gets.
std::string ByIdName(const std::string& device,
                     const std::filesystem::path& byIdDir = "/dev/serial/by-id");

} // namespace veloris
