#pragma once
// Stand-ins for the window's services: a port that records what is asked of it and never
// answers, a clock that moves on at every reading, and dialogs driven by the test.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "serial/clock.h"
#include "serial/serial_port.h"
#include "ui/dialogs.h"

namespace veloris::testing {

class RecordingPort final : public SerialPort {
  public:
    std::vector<int> portsSet; // every CommPort written, in order
    int opens = 0;
    int closes = 0;
    Bytes sent;
    bool refuseOpening = false;

    void setCommPort(int n) override {
        portsSet.push_back(n);
        commPort_ = n;
    }
    int commPort() const override { return commPort_; }
    void setSettings(std::string) override {}
    void setHandshaking(int) override {}

    std::optional<OpenFailure> open() override {
        ++opens;
        if (refuseOpening) {
            return OpenFailure{OpenFailure::Reason::Absent, deviceName(), "no such device", {}};
        }
        open_ = true;
        return std::nullopt;
    }
    void close() override {
        ++closes;
        open_ = false;
    }
    bool portOpen() const override { return open_; }
    std::string deviceName() const override { return "/dev/ttyTEST" + std::to_string(commPort_); }

    // A board that never answers.
    int inBufferCount() override { return 0; }
    Bytes input() override { return {}; }
    int outBufferCount() override { return 0; }
    void output(std::span<const std::uint8_t> bytes) override {
        sent.insert(sent.end(), bytes.begin(), bytes.end());
    }
    PortWait waitForInput(std::chrono::milliseconds) override { return PortWait::TimedOut; }
    PortWait waitForDrain(std::chrono::milliseconds) override { return PortWait::Ready; }
    bool lost() const override { return false; }

  private:
    int commPort_ = 0;
    bool open_ = false;
};

// Every reading is a tenth of a second later than the one before, on both clocks, so a
// byte wait times out after a few dozen readings instead of two real seconds.
class SteppingClock final : public Clock {
  public:
    double secondsSinceMidnight() override {
        seconds_ += 0.1;
        return seconds_;
    }
    std::chrono::steady_clock::time_point steadyNow() override {
        steady_ += std::chrono::milliseconds(100);
        return steady_;
    }

  private:
    double seconds_ = 1000.25;
    std::chrono::steady_clock::time_point steady_{};
};

class ScriptedDialogs final : public Dialogs {
  public:
    std::vector<std::string> messages;
    std::function<void(const std::string&)> onMessage;
    std::function<std::string()> answer = [] { return std::string(); };

    void message(const std::string& text) override {
        messages.push_back(text);
        if (onMessage) {
            onMessage(text);
        }
    }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        return answer();
    }
};

} // namespace veloris::testing
