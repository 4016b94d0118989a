#pragma once
// Comm1 on a POSIX system: a termios serial device, held while open.
//
// Choices where the control leaves room:
// - Handshaking 0 is no flow control, 1 is XON/XOFF, 2 is RTS/CTS, 3 is both; any other
//   value is refused as BadSettings. DTR and RTS stay as the driver sets them at opening.
// - Opening an open port closes it first, then opens with the current number and settings.
// - A device is judged by the file it leads to: the system console is refused, and so is
//   anything that is no serial line (/dev/null, a file, a FIFO, a directory), before a
//   byte is sent.
// - A port is held three ways, so that each kind of other program sees it taken: a UUCP
//   lock file (terminal programs), flock (programs that lock the device), and exclusive
//   mode on real serial lines. A pseudo-terminal never gets exclusive mode: it would
//   outlive a killed holder and lock out every user but root.
// - While open, a USB adapter's latency timer is cut to 1 ms where the driver allows it.
// - Output hands the driver what it takes at once; the rest waits in the port's own send
//   buffer of 512 bytes and goes as the line drains. OutBufferCount counts both, so a
//   stalled line shows as a send queue that does not empty, never as a byte sent.
// - Input takes what is waiting at the moment, at most the 1024 bytes of the receive
//   buffer; what a flood brings beyond that is read, counted and discarded.
// - On a closed port the counts are 0, input is empty, output does nothing and both waits
//   return Lost at once: there is nothing to wait on, and a caller must not spin on a wait
//   that returns early. lost() tells a hang-up while open only; closing clears it.
// - Closing lets the queued bytes leave, for a bounded time, then puts back the line
//   settings and serial flags found at opening, and removes the lock file.

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>
#include <termios.h>

#include "serial/low_latency.h"
#include "serial/serial_port.h"
#include "serial/uucp_lock.h"

namespace veloris {

// What the port asks of the system besides the device; tests stand in for parts of it.
struct PortSystem {
    // Where UUCP lock files go; empty for none.
    std::filesystem::path lockDir = DefaultLockDirectory();
    // The system console's device numbers.
    std::function<std::vector<dev_t>()> consoleDevices;
    // The serial-flag ioctls on an open descriptor.
    std::function<std::unique_ptr<SerialFlagsAccess>(int fd)> serialFlags = DeviceSerialFlags;
};

class TermiosPort final : public SerialPort {
  public:
    // The control's buffers: unread input beyond the receive buffer is discarded, and
    // output the driver has not taken waits in the send buffer.
    static constexpr std::size_t kReceiveBufferBytes = 1024;
    static constexpr std::size_t kSendBufferBytes = 512;

    // Gives the device for COMn. Asked afresh at every opening, so an adapter plugged in
    // after start is found.
    using DeviceMapping = std::function<std::string(int commPort)>;

    explicit TermiosPort(DeviceMapping deviceFor, PortSystem system = {});
    ~TermiosPort() override;
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;

    void setCommPort(int n) override { commPort_ = n; }
    int commPort() const override { return commPort_; }
    void setSettings(std::string settings) override { settings_ = std::move(settings); }
    void setHandshaking(int handshaking) override { handshaking_ = handshaking; }

    [[nodiscard]] std::optional<OpenFailure> open() override;
    void close() override;
    bool portOpen() const override { return fd_ >= 0; }
    std::string deviceName() const override;

    int inBufferCount() override;
    Bytes input() override;
    int outBufferCount() override;
    void output(std::span<const std::uint8_t> bytes) override;

    PortWait waitForInput(std::chrono::milliseconds timeout) override;
    PortWait waitForDrain(std::chrono::milliseconds timeout) override;
    bool lost() const override { return lost_; }

    // Received bytes discarded because the receive buffer was full, since opening.
    std::size_t discardedInput() const { return discardedInput_; }
    // The lock file held while open; empty when none.
    std::filesystem::path lockFile() const { return lock_.path(); }

  private:
    bool usable() const { return fd_ >= 0 && !lost_; }
    // Opens, checks and configures the device; on failure everything taken is given back.
    std::optional<OpenFailure> openDevice(const std::string& device);
    // Marks the port lost when the error says the device went away.
    void noteError(int error);
    // Polls for `events` until the deadline; a hang-up marks the port lost.
    PortWait pollDevice(short events, std::chrono::milliseconds timeout);
    // Queued-byte count from FIONREAD or TIOCOUTQ; 0 when it cannot be had.
    int queuedBytes(unsigned long request);
    // Hands the driver what it takes of the send buffer, without blocking.
    void pushSendBuffer();
    // Lets queued output leave for at most `limit`; true when all of it left.
    bool letOutputLeave(std::chrono::milliseconds limit);
    // Puts back what opening changed, releases the device and the lock file.
    void releaseDevice();

    DeviceMapping deviceFor_;
    PortSystem system_;
    int commPort_;
    std::string settings_;
    int handshaking_;

    int fd_ = -1;
    bool lost_ = false;
    UucpLock lock_;
    std::optional<termios> lineFound_;
    std::optional<int> serialFlagsFound_;
    std::deque<std::uint8_t> sendBuffer_;
    std::size_t discardedInput_ = 0;
};

} // namespace veloris
