#pragma once
// Low latency while the port is open. USB adapters such as FTDI's hold received bytes for
// their latency timer, 16 ms by default, before handing them over; the board's exchanges
// are lock-step, so every turnaround would pay it. The kernel's ASYNC_LOW_LATENCY flag
// drops the timer to 1 ms, and any user who may open the port may set it.
//
// Only the flags are changed: since Linux 5.13 the USB serial core refuses a caller
// without root's rights who changes close_delay or closing_wait, so every other field goes
// back exactly as it was read.

#include <memory>
#include <optional>

#include <linux/serial.h>

namespace veloris {

// The two ioctls TIOCGSERIAL and TIOCSSERIAL, so that tests can stand in for a device.
// Both give 0 or the error number.
class SerialFlagsAccess {
  public:
    virtual ~SerialFlagsAccess() = default;
    virtual int read(serial_struct& info) = 0;
    virtual int write(const serial_struct& info) = 0;
};

// The ioctls on an open descriptor.
std::unique_ptr<SerialFlagsAccess> DeviceSerialFlags(int fd);

// Adds ASYNC_LOW_LATENCY. Gives the flags found, to put back at close, when it changed
// them; nothing when the flag was on already or the device refused (a pseudo-terminal
// answers ENOTTY, other drivers EINVAL or EPERM): such a device is used as it is.
std::optional<int> TurnOnLowLatency(SerialFlagsAccess& device);

// Puts back the flags found at opening, leaving every other field as the device has it now.
void PutBackSerialFlags(SerialFlagsAccess& device, int flagsFound);

} // namespace veloris
