#pragma once
// A serial port wired straight to a simulated board, on virtual time.
//
// Waits move the virtual clock instead of sleeping: waitForInput() jumps to the moment the
// board's next byte is due, or by the whole time-out when none is due within it. What the
// host outputs reaches the board at once, so the send queue is always empty, unless a test
// sticks it. Bytes the board sends together are taken by one input().
//
// Port closed: the board's bytes are lost, and what was waiting is dropped on close.
// Board hung up (DisconnectAfter): the port reports Lost while open, bytes already waiting
// can still be read, and opening again fails as for an absent device until reconnect().

#include <deque>
#include <optional>
#include <span>
#include <string>

#include "serial/serial_port.h"
#include "sim/board.h"
#include "sim/virtual_clock.h"

namespace veloris {

class FakePort final : public SerialPort {
  public:
    explicit FakePort(VirtualClock& clock, BoardSetup setup = {});

    void setCommPort(int n) override { commPort_ = n; }
    int commPort() const override { return commPort_; }
    void setSettings(std::string settings) override { settings_ = std::move(settings); }
    void setHandshaking(int handshaking) override { handshaking_ = handshaking; }

    [[nodiscard]] std::optional<OpenFailure> open() override;
    void close() override;
    bool portOpen() const override { return open_; }
    // "sim:COMn"
    std::string deviceName() const override;

    int inBufferCount() override;
    Bytes input() override;
    int outBufferCount() override;
    void output(std::span<const std::uint8_t> bytes) override;

    PortWait waitForInput(std::chrono::milliseconds timeout) override;
    PortWait waitForDrain(std::chrono::milliseconds timeout) override;
    bool lost() const override { return open_ && board_.hungUp(); }

    // Test controls.
    BoardModel& board() { return board_; }
    const BoardModel& board() const { return board_; }
    // Every open() fails with this until it is cleared with std::nullopt; an empty device
    // in it is filled in with deviceName().
    void setOpenFailure(std::optional<OpenFailure> failure) { openFailure_ = std::move(failure); }
    // While stuck, outBufferCount() stays above zero, waits for the queue to drain time out,
    // and output is held back; unsticking hands what was held to the board.
    void setSendQueueStuck(bool stuck);
    // Plugs the board back in after it hung up (see BoardModel::reconnect).
    void reconnect() { board_.reconnect(); }

    const std::string& settings() const { return settings_; }
    int handshaking() const { return handshaking_; }
    int openCount() const { return openCount_; }

  private:
    // Hands the host every board byte due by now.
    void deliverDue();
    std::optional<SteadyTime> hostTookAll() const;
    void toBoard(std::uint8_t byte);

    VirtualClock& clock_;
    BoardModel board_;
    int commPort_ = 1;
    std::string settings_;
    int handshaking_ = 0;
    bool open_ = false;
    int openCount_ = 0;
    std::optional<OpenFailure> openFailure_;
    bool sendQueueStuck_ = false;
    Bytes heldOutput_;
    std::deque<std::uint8_t> inBuffer_;
    SteadyTime inputEmptiedAt_;
};

} // namespace veloris
