#include "serial/wait_deadline.h"

#include <algorithm>
#include <cmath>

#include "serial/byte_exchange.h"

namespace veloris {

namespace {

std::chrono::milliseconds CeilMilliseconds(std::chrono::duration<double> d) {
    return std::chrono::milliseconds(static_cast<long long>(std::ceil(d.count() * 1000.0)));
}

} // namespace

std::int32_t WaitDeadline::TimeOfDay(double secondsSinceMidnight) {
    return static_cast<std::int32_t>(RoundHalfToEven(secondsSinceMidnight + kTimeoutSeconds));
}

WaitDeadline::WaitDeadline(double startTimeOfDay, std::chrono::steady_clock::time_point startSteady)
    : timeOfDay_(TimeOfDay(startTimeOfDay)),
      steadyLimit_(startSteady +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(timeOfDay_ - startTimeOfDay)) +
                   kSteadySlack) {}

WaitDeadline::Reading WaitDeadline::at(double timeOfDay,
                                       std::chrono::steady_clock::time_point steady) const {
    using namespace std::chrono;
    if (timeOfDay > timeOfDay_ || steady > steadyLimit_) {
        return {true, milliseconds::zero()};
    }
    // One millisecond more, so that a wait that ends on time finds the deadline passed.
    const auto untilTimeOfDay = CeilMilliseconds(duration<double>(timeOfDay_ - timeOfDay)) + 1ms;
    const auto untilSteadyLimit = ceil<milliseconds>(steadyLimit_ - steady);
    return {false, std::min(untilTimeOfDay, untilSteadyLimit)};
}

} // namespace veloris
