#pragma once
// Comm1 on a POSIX system: a termios serial device, held exclusively while open.
//
// Choices where the control leaves room:
// - Handshaking 0 is no flow control, 1 is XON/XOFF, 2 is RTS/CTS, 3 is both; any other
//   value is refused as BadSettings. DTR and RTS stay as the driver sets them at opening.
// - Opening an open port closes it first, then opens with the current number and settings.
// - On a closed port the counts are 0, input is empty, output does nothing and both waits
//   return Lost at once: there is nothing to wait on, and a caller must not spin on a wait
//   that returns early. lost() tells a hang-up while open only; closing clears it.
// - Output waits for room in the driver's queue, but gives up and drops the rest once the
//   queue has taken nothing for a second.
// - Closing leaves queued bytes to the driver, which sends them before it lets go.

#include <functional>
#include <string>

#include "serial/serial_port.h"

namespace veloris {

class TermiosPort final : public SerialPort {
  public:
    // Gives the device for COMn. Asked afresh at every opening, so an adapter plugged in
    // after start is found.
    using DeviceMapping = std::function<std::string(int commPort)>;

    explicit TermiosPort(DeviceMapping deviceFor);
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

  private:
    bool usable() const { return fd_ >= 0 && !lost_; }
    // Marks the port lost when the error says the device went away.
    void noteError(int error);
    // Polls for `events` until the deadline; a hang-up marks the port lost.
    PortWait pollDevice(short events, std::chrono::milliseconds timeout);
    // Queued-byte count from FIONREAD or TIOCOUTQ; 0 when it cannot be had.
    int queuedBytes(unsigned long request);

    DeviceMapping deviceFor_;
    int commPort_;
    std::string settings_;
    int handshaking_;
    int fd_ = -1;
    bool lost_ = false;
};

} // namespace veloris
