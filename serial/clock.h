#pragma once
// The clocks a byte wait reads: the time of day, whose whole seconds make the deadline,
// and a steady clock that bounds a wait when the time of day wraps at midnight or is set back.

#include <chrono>

namespace veloris {

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since local midnight, with a fraction.
    virtual double secondsSinceMidnight() = 0;
    virtual std::chrono::steady_clock::time_point steadyNow() = 0;
};

class SystemClock final : public Clock {
  public:
    double secondsSinceMidnight() override;
    std::chrono::steady_clock::time_point steadyNow() override {
        return std::chrono::steady_clock::now();
    }
};

} // namespace veloris
