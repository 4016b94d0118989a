#pragma once
// Comm1: the serial-port control that every exchange with the board goes through.
//
// The interface keeps the properties the board protocol relies on (CommPort, Settings,
// Handshaking, PortOpen, InBufferCount, Input, OutBufferCount, Output) and adds one
// blocking wait, so that byte waits sleep on the port instead of spinning a core.
// It is small on purpose: a backend for another platform implements just this.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace veloris {

using Bytes = std::vector<std::uint8_t>;

// Why a port could not be opened, in terms the user can act on.
struct OpenFailure {
    enum class Reason {
        Absent,           // no such device
        Busy,             // held open by another program
        PermissionDenied, // the account may not use the device
        BadSettings,      // the settings text or the line configuration was refused
        NotSerialPort,    // the device is no serial line (/dev/null, a file, a FIFO, ...)
        SystemConsole,    // the device carries the system's console; never talked to
        Other,
    };
    // Who holds a busy port, where it can be found out.
    struct Holder {
        std::string program; // e.g. "minicom"
        int pid = 0;
    };
    Reason reason = Reason::Other;
    std::string device; // the device that was tried, e.g. "/dev/ttyUSB0"
    std::string detail; // the system's own words, for the curious
    std::optional<Holder> holder;
};

// What a wait on the port ended with.
enum class PortWait {
    Ready,    // the awaited condition holds (input waiting, or the send queue is empty)
    TimedOut, // the time given passed first
    Lost,     // the device hung up (cable or adapter pulled); later waits fail at once
};

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // CommPort: the number n of the port COMn used by the next opening.
    virtual void setCommPort(int n) = 0;
    virtual int commPort() const = 0;

    // Settings ("9600,N,8,1") and Handshaking (0 = none) take effect at the next opening.
    virtual void setSettings(std::string settings) = 0;
    virtual void setHandshaking(int handshaking) = 0;

    // PortOpen. Opening reports why it failed; the port stays closed then.
    [[nodiscard]] virtual std::optional<OpenFailure> open() = 0;
    virtual void close() = 0;
    virtual bool portOpen() const = 0;

    // The device the current CommPort maps to, as the next opening would use it.
    virtual std::string deviceName() const = 0;

    // InBufferCount: received bytes waiting to be read.
    virtual int inBufferCount() = 0;
    // Input: takes every byte waiting, in arrival order; empty when nothing waits.
    virtual Bytes input() = 0;
    // OutBufferCount: bytes queued and not yet handed to the line.
    virtual int outBufferCount() = 0;
    // Output: queues the bytes without waiting for them to leave.
    virtual void output(std::span<const std::uint8_t> bytes) = 0;

    // Blocks until input is waiting, or at most `timeout`.
    virtual PortWait waitForInput(std::chrono::milliseconds timeout) = 0;
    // Blocks until the send queue is empty, or at most `timeout`.
    virtual PortWait waitForDrain(std::chrono::milliseconds timeout) = 0;
    // True once the device has hung up while open.
    virtual bool lost() const = 0;
};

} // namespace veloris
