#pragma once
// A serial port and clocks under the test's control: bytes arrive at set times, the send
// queue can be made to stay full, and every wait advances virtual time instead of sleeping.

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <utility>

#include "serial/clock.h"
#include "serial/serial_port.h"

namespace veloris::testing {

class ScriptedClock final : public Clock {
  public:
    explicit ScriptedClock(double timeOfDay) : timeOfDay_(timeOfDay) {}

    double secondsSinceMidnight() override {
        if (!forcedReadings_.empty()) {
            const double reading = forcedReadings_.front();
            forcedReadings_.pop_front();
            return reading;
        }
        return timeOfDay_;
    }
    std::chrono::steady_clock::time_point steadyNow() override { return steady_; }

    void advance(std::chrono::milliseconds d) {
        steady_ += d;
        timeOfDay_ = std::fmod(timeOfDay_ + d.count() / 1000.0, 86400.0); // wraps at midnight
    }
    void setTimeOfDay(double t) { timeOfDay_ = t; }
    // Readings returned, in order, before the clock goes back to its running time.
    void forceReadings(std::deque<double> readings) { forcedReadings_ = std::move(readings); }
    double elapsedSeconds() const {
        return std::chrono::duration<double>(steady_.time_since_epoch()).count();
    }

  private:
    double timeOfDay_;
    std::chrono::steady_clock::time_point steady_{};
    std::deque<double> forcedReadings_;
};

class ScriptedPort final : public SerialPort {
  public:
    explicit ScriptedPort(ScriptedClock& clock) : clock_(clock) {}

    // Bytes that arrive together, `after` from now.
    void arrive(Bytes bytes, std::chrono::milliseconds after = std::chrono::milliseconds{0}) {
        arrivals_.push_back({clock_.elapsedSeconds() + after.count() / 1000.0, std::move(bytes)});
        deliverDue();
    }
    void keepSendQueueFull(bool full) { sendQueueFull_ = full; }
    void hangUp() { lost_ = true; }
    // Runs once per wait on the port, before the wait: lets a test change things mid-wait.
    void onEveryWait(std::function<void(ScriptedClock&)> action) { onWait_ = std::move(action); }

    // The board's side: called for every byte sent, e.g. to echo it a moment later.
    void onSent(std::function<void(std::uint8_t, ScriptedPort&)> reply) {
        reply_ = std::move(reply);
    }
    // A board that echoes every byte it receives, 1 ms later.
    void echoEverything() {
        onSent([](std::uint8_t byte, ScriptedPort& port) {
            port.arrive({byte}, std::chrono::milliseconds{1});
        });
    }

    const Bytes& sent() const { return sent_; }
    int waits() const { return waits_; }

    void setCommPort(int n) override { commPort_ = n; }
    int commPort() const override { return commPort_; }
    void setSettings(std::string) override {}
    void setHandshaking(int) override {}
    std::optional<OpenFailure> open() override {
        open_ = true;
        return std::nullopt;
    }
    void close() override { open_ = false; }
    bool portOpen() const override { return open_; }
    std::string deviceName() const override { return "/dev/scripted"; }

    int inBufferCount() override {
        deliverDue();
        return static_cast<int>(buffer_.size());
    }
    Bytes input() override {
        deliverDue();
        return std::exchange(buffer_, {});
    }
    int outBufferCount() override { return sendQueueFull_ ? 1 : 0; }
    void output(std::span<const std::uint8_t> bytes) override {
        for (const std::uint8_t byte : bytes) {
            sent_.push_back(byte);
            if (reply_) {
                reply_(byte, *this);
            }
        }
    }

    PortWait waitForInput(std::chrono::milliseconds timeout) override {
        ++waits_;
        if (onWait_) {
            onWait_(clock_);
        }
        if (lost_) {
            return PortWait::Lost;
        }
        if (!arrivals_.empty()) {
            const double due = arrivals_.front().first - clock_.elapsedSeconds();
            if (due <= timeout.count() / 1000.0) {
                clock_.advance(std::chrono::milliseconds(
                    static_cast<long long>(std::ceil(std::max(due, 0.0) * 1000.0))));
                deliverDue();
                return PortWait::Ready;
            }
        }
        clock_.advance(timeout);
        return PortWait::TimedOut;
    }
    PortWait waitForDrain(std::chrono::milliseconds timeout) override {
        ++waits_;
        if (lost_) {
            return PortWait::Lost;
        }
        if (!sendQueueFull_) {
            return PortWait::Ready;
        }
        clock_.advance(timeout);
        return PortWait::TimedOut;
    }
    bool lost() const override { return lost_; }

  private:
    void deliverDue() {
        while (!arrivals_.empty() && arrivals_.front().first <= clock_.elapsedSeconds() + 1e-9) {
            auto& bytes = arrivals_.front().second;
            buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
            arrivals_.pop_front();
        }
    }

    ScriptedClock& clock_;
    std::deque<std::pair<double, Bytes>> arrivals_;
    Bytes buffer_;
    Bytes sent_;
    bool sendQueueFull_ = false;
    bool lost_ = false;
    bool open_ = true;
    int commPort_ = 1;
    int waits_ = 0;
    std::function<void(ScriptedClock&)> onWait_;
    std::function<void(std::uint8_t, ScriptedPort&)> reply_;
};

} // namespace veloris::testing
