#pragma once
// Which serial device stands for COM1 to COM4: the ports found on the machine, in a fixed
// order, numbered from 1.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace veloris {

// A USB adapter's vendor and product numbers, as in "0403:6001".
struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
};

// A serial port found on the machine, with what the system knows of it, so that a user with
// two adapters can tell which is which. Text fields are empty when the system does not know.
struct PresentPort {
    std::string device;       // e.g. "/dev/ttyUSB0"
    std::string description;  // the maker's words, e.g. "FT232R USB UART"
    bool realUart = true;     // false for a /dev/ttyS* node with no UART behind it
    std::string manufacturer; // e.g. "FTDI"
    std::string byId;         // e.g. "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"
    std::optional<UsbId> usb;
    std::string serialNumber;   // e.g. "A1B2C3"
    bool systemConsole = false; // the line carries the kernel's console
};

// Built-in UARTs (/dev/ttyS*) first, then USB adapters (/dev/ttyUSB*), then USB modems
// (/dev/ttyACM*), then any other device; within a group by the number that ends the name,
// numerically (ttyUSB10 after ttyUSB2). A /dev/ttyS* node with realUart false is dropped:
// the kernel creates /dev/ttyS0 to ttyS3 whether or not a UART is there, and counting them
// would push a real adapter out of COM1 to COM4. The system console is dropped too: it
// talks to a login prompt, never to a board.
std::vector<PresentPort> OrderPorts(std::vector<PresentPort> ports);

// The device for COMn: the n-th of the ordered ports, or "/dev/ttyS" followed by n - 1 when
// fewer ports are present. Gives an empty name for n below 1, which no device answers to.
std::string DeviceForComm(int n, const std::vector<PresentPort>& ordered);

} // namespace veloris
