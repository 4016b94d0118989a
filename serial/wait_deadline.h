#pragma once
// When a byte wait gives up, and why each part of the rule is there.
//
// - The deadline is the time of day two seconds on, rounded to the nearest whole second (a
//   half to the even neighbour): the board tools always timed their waits this way, so a
//   wait lasts 1.5 to 2.5 seconds, and the board's firmware is paced to that.
// - It has passed only once a reading of the time of day is strictly past it, never at it.
// - The steady clock bounds the same wait, a little past the time-of-day deadline: a time
//   of day that wraps at midnight or is set back would otherwise hold the wait open.

#include <chrono>
#include <cstdint>

namespace veloris {

class WaitDeadline {
  public:
    static constexpr double kTimeoutSeconds = 2.0;
    // How far the steady clock may run past the time-of-day deadline before it ends a wait.
    static constexpr std::chrono::milliseconds kSteadySlack{100};

    // The deadline of a wait that starts at `secondsSinceMidnight`.
    static std::int32_t TimeOfDay(double secondsSinceMidnight);

    // A wait that starts at these readings of the two clocks.
    WaitDeadline(double startTimeOfDay, std::chrono::steady_clock::time_point startSteady);

    struct Reading {
        bool passed = false;              // the wait is over
        std::chrono::milliseconds left{}; // until the nearer of the two ends, rounded up
    };
    // Where a wait stands at these readings of the two clocks.
    Reading at(double timeOfDay, std::chrono::steady_clock::time_point steady) const;

  private:
    std::int32_t timeOfDay_;
    std::chrono::steady_clock::time_point steadyLimit_;
};

} // namespace veloris
