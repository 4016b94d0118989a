#pragma once
// A port that passes everything to the real one and notes when the program's own work
// happened: how long opening and closing took, and how long it took from a byte coming in
// to the program's answer going out. The rest of an operation's wall time is the line,
// the pseudo-terminal's delivery and the simulated board.

#include <chrono>
#include <optional>

#include "serial/serial_port.h"

namespace veloris::bench {

class TimedPort final : public SerialPort {
  public:
    using Clock = std::chrono::steady_clock;

    explicit TimedPort(SerialPort& port) : port_(port) {}

    void setCommPort(int n) override { port_.setCommPort(n); }
    int commPort() const override { return port_.commPort(); }
    void setSettings(std::string settings) override { port_.setSettings(std::move(settings)); }
    void setHandshaking(int handshaking) override { port_.setHandshaking(handshaking); }

    [[nodiscard]] std::optional<OpenFailure> open() override {
        const auto start = Clock::now();
        auto failure = port_.open();
        openClose_ += Clock::now() - start;
        return failure;
    }
    void close() override {
        const auto start = Clock::now();
        port_.close();
        openClose_ += Clock::now() - start;
    }
    bool portOpen() const override { return port_.portOpen(); }
    std::string deviceName() const override { return port_.deviceName(); }

    int inBufferCount() override { return port_.inBufferCount(); }
    Bytes input() override {
        Bytes bytes = port_.input();
        if (!bytes.empty()) {
            lastArrival_ = Clock::now();
            answered_ = false;
        }
        return bytes;
    }
    int outBufferCount() override { return port_.outBufferCount(); }
    void output(std::span<const std::uint8_t> bytes) override {
        // Only the first answer to an arrival counts: later bytes sent without waiting
        // (the address after the count) are the program's work too, but no turnaround.
        if (!answered_) {
            turnaround_ += Clock::now() - lastArrival_;
            ++answers_;
            answered_ = true;
        }
        port_.output(bytes);
    }

    PortWait waitForInput(std::chrono::milliseconds timeout) override {
        return port_.waitForInput(timeout);
    }
    PortWait waitForDrain(std::chrono::milliseconds timeout) override {
        return port_.waitForDrain(timeout);
    }
    bool lost() const override { return port_.lost(); }

    void resetTimes() {
        openClose_ = {};
        turnaround_ = {};
        answers_ = 0;
        answered_ = true;
    }
    Clock::duration openClose() const { return openClose_; }
    // From each arrival to the first byte sent after it, summed, and how many there were.
    Clock::duration turnaround() const { return turnaround_; }
    int answers() const { return answers_; }

  private:
    SerialPort& port_;
    Clock::duration openClose_{};
    Clock::duration turnaround_{};
    int answers_ = 0;
    Clock::time_point lastArrival_{};
    bool answered_ = true; // no arrival waits for an answer
};

} // namespace veloris::bench
