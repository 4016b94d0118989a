#pragma once
// A serial port whose board plays a script chosen by the fuzzer, on virtual time.
//
// Each byte the host sends makes the board take the next step of the script; a step says
// what the board answers (nothing, the host's byte, bytes of the script, a burst of noise,
// or a hang-up) and how long after the host's byte the answer arrives. Once the script is
// used up the board is silent. Bytes due at once arrive together.

#include <chrono>
#include <cstdint>
#include <deque>
#include <span>
#include <string>

#include "serial/serial_port.h"
#include "sim/virtual_clock.h"

namespace veloris::fuzz {

class PlayedBoardPort final : public SerialPort {
  public:
    PlayedBoardPort(VirtualClock& clock, std::span<const std::uint8_t> script);

    void setCommPort(int n) override { commPort_ = n; }
    int commPort() const override { return commPort_; }
    void setSettings(std::string) override {}
    void setHandshaking(int) override {}

    [[nodiscard]] std::optional<OpenFailure> open() override;
    void close() override;
    bool portOpen() const override { return open_; }
    std::string deviceName() const override { return "fuzz:COM" + std::to_string(commPort_); }

    int inBufferCount() override;
    Bytes input() override;
    int outBufferCount() override { return 0; }
    void output(std::span<const std::uint8_t> bytes) override;

    PortWait waitForInput(std::chrono::milliseconds timeout) override;
    PortWait waitForDrain(std::chrono::milliseconds timeout) override;
    bool lost() const override { return open_ && hungUp_; }

    bool hungUp() const { return hungUp_; }
    const Bytes& sentByHost() const { return sentByHost_; }

  private:
    struct Arrival {
        std::uint8_t byte;
        std::chrono::steady_clock::time_point due;
    };

    // The board's answer to one host byte.
    void playStep(std::uint8_t hostByte);
    std::uint8_t nextScriptByte();
    void deliverDue();

    VirtualClock& clock_;
    std::span<const std::uint8_t> script_;
    std::size_t at_ = 0;
    std::deque<Arrival> coming_;
    Bytes inBuffer_;
    Bytes sentByHost_;
    int commPort_ = 1;
    bool open_ = false;
    bool hungUp_ = false;
};

} // namespace veloris::fuzz
