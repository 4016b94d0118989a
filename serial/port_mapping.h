#pragma once
// Which serial device stands for COM1 to COM4: the ports found on the machine, in a fixed
// order, numbered from 1.

#include <string>
#include <vector>

namespace veloris {

struct PresentPort {
    std::string device;      // e.g. "/dev/ttyUSB0"
    std::string description; // the maker's words, e.g. "FT232R USB UART"; may be empty
    bool realUart = true;    // false for a /dev/ttyS* node with no UART behind it
};

// Built-in UARTs (/dev/ttyS*) first, then USB adapters (/dev/ttyUSB*), then USB modems
// (/dev/ttyACM*), then any other device; within a group by the number that ends the name,
// numerically (ttyUSB10 after ttyUSB2). A /dev/ttyS* node with realUart false is dropped:
// the kernel creates /dev/ttyS0 to ttyS3 whether or not a UART is there, and counting them
// would push a real adapter out of COM1 to COM4.
std::vector<PresentPort> OrderPorts(std::vector<PresentPort> ports);

// The device for COMn: the n-th of the ordered ports, or "/dev/ttyS" followed by n - 1 when
// fewer ports are present. Gives an empty name for n below 1, which no device answers to.
std::string DeviceForComm(int n, const std::vector<PresentPort>& ordered);

} // namespace veloris
