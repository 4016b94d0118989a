#pragma once
// A clock that moves only when told to, so that waits of seconds cost no real time.
// The time of day follows the steady time as it advances and wraps at midnight; it can
// also be set on its own, as when the system clock is set back.

#include <chrono>
#include <cmath>

#include "serial/clock.h"

namespace veloris {

class VirtualClock final : public Clock {
  public:
    static constexpr double kSecondsPerDay = 86400.0;
    static constexpr double kDefaultTimeOfDay = 10 * 3600.0; // 10:00:00

    explicit VirtualClock(double timeOfDay = kDefaultTimeOfDay) { setTimeOfDay(timeOfDay); }

    double secondsSinceMidnight() override {
        const double seconds = dayBase_ + std::chrono::duration<double>(now_ - dayBaseAt_).count();
        return std::fmod(seconds, kSecondsPerDay);
    }
    std::chrono::steady_clock::time_point steadyNow() override { return now_; }

    void advance(std::chrono::nanoseconds by) {
        if (by > std::chrono::nanoseconds::zero()) {
            now_ += by;
        }
    }
    // Moves on to `when`; a time already past leaves the clock where it is.
    void advanceTo(std::chrono::steady_clock::time_point when) {
        if (when > now_) {
            now_ = when;
        }
    }
    // Jumps the time of day, forwards or back, without moving the steady time.
    void setTimeOfDay(double seconds) {
        dayBase_ = std::fmod(std::fmod(seconds, kSecondsPerDay) + kSecondsPerDay, kSecondsPerDay);
        dayBaseAt_ = now_;
    }

    // Steady time gone by since the clock was made.
    std::chrono::nanoseconds elapsed() const { return now_ - kStart; }

  private:
    // Far from zero, like a real steady clock, so that code subtracting from it stays sane.
    static constexpr std::chrono::steady_clock::time_point kStart{std::chrono::hours(1000)};

    std::chrono::steady_clock::time_point now_ = kStart;
    double dayBase_ = 0;
    std::chrono::steady_clock::time_point dayBaseAt_ = kStart;
};

} // namespace veloris
