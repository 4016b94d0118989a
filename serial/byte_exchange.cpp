#include "serial/byte_exchange.h"

#include <algorithm>
#include <cmath>

#include "serial/wait_deadline.h"

namespace veloris {

std::string HexByte(std::int32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto bits = static_cast<std::uint32_t>(value);
    return {kDigits[(bits & 0xF0u) >> 4], kDigits[bits & 0x0Fu]};
}

double RoundHalfToEven(double x) {
    const double below = std::floor(x);
    const double fraction = x - below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) {
        return below + 1.0;
    }
    return below;
}

ByteExchange::ByteExchange(SerialPort& comm1, ExchangeLog& log, Clock& clock,
                           WaitObserver* observer, ByteObserver* bytes)
    : comm1_(comm1), log_(log), clock_(clock), observer_(observer), bytes_(bytes) {}

void ByteExchange::SendByte(int value) {
    if (value < 0 || value > 255) {
        // The timeout marker handed on as a closing byte: there is no byte to send. On a
        // lost line the loss is the last word, as for every other send.
        if (!comm1_.lost()) {
            log_.append(kNoByteEntry);
        }
        return;
    }
    if (!waitUntil(WaitFor::Drain)) {
        if (!comm1_.lost()) {
            log_.append(kSendErrorEntry);
        }
        return;
    }
    const std::uint8_t byte = static_cast<std::uint8_t>(value);
    comm1_.output({&byte, 1});
    logByte(kSentMark, value);
    if (bytes_ != nullptr) {
        bytes_->byteSent(byte);
    }
}

ByteValue ByteExchange::ReceiveByte() {
    if (kept_.empty() && !waitUntil(WaitFor::Input)) {
        if (!comm1_.lost()) {
            log_.append(kNoReplyEntry);
        }
        return kTimeoutMarker;
    }
    const ByteValue value = kept_.front();
    kept_.pop_front();
    logByte(kReceivedMark, value);
    if (bytes_ != nullptr) {
        bytes_->byteReceived(static_cast<std::uint8_t>(value));
    }
    return value;
}

Bytes ByteExchange::TakeInput() {
    Bytes taken(kept_.begin(), kept_.end());
    kept_.clear();
    if (comm1_.portOpen() && !comm1_.lost()) {
        const Bytes arrived = comm1_.input();
        taken.insert(taken.end(), arrived.begin(), arrived.end());
    }
    return taken;
}

bool ByteExchange::waitUntil(WaitFor what) {
    using namespace std::chrono;
    const double start = clock_.secondsSinceMidnight();
    auto lastObserved = clock_.steadyNow();
    const WaitDeadline deadline(start, clock_.steadyNow());

    for (;;) {
        // The port first, then the clock: a condition that holds is honoured even when the
        // deadline has passed by the time it is seen.
        if (comm1_.lost()) {
            noteLoss();
            return false;
        }
        if (what == WaitFor::Input ? takeArrivedInput() : comm1_.outBufferCount() == 0) {
            return true;
        }
        const double timeOfDay = clock_.secondsSinceMidnight();
        const WaitDeadline::Reading reading = deadline.at(timeOfDay, clock_.steadyNow());
        if (reading.passed) {
            return false;
        }
        // Block on the port instead of spinning: until the deadline, but never longer than
        // the observer interval, so the window keeps painting during a long silence.
        auto slice = std::min(reading.left, kObserverInterval);
        if (what == WaitFor::Drain) {
            slice = std::min(slice, kDrainRecheck);
        }
        slice = std::max(slice, 1ms);
        const PortWait result =
            what == WaitFor::Input ? comm1_.waitForInput(slice) : comm1_.waitForDrain(slice);
        if (result == PortWait::Lost) {
            noteLoss();
            return false;
        }
        if (result == PortWait::TimedOut && observer_ != nullptr &&
            clock_.steadyNow() - lastObserved >= kObserverInterval) {
            observer_->whileWaiting();
            lastObserved = clock_.steadyNow();
        }
    }
}

void ByteExchange::logByte(std::string_view mark, int value) {
    std::string entry(mark);
    entry += HexByte(value);
    log_.append(entry);
}

bool ByteExchange::takeArrivedInput() {
    // One read of the port takes every byte waiting; all are kept, none dropped.
    if (comm1_.inBufferCount() > 0) {
        const Bytes arrived = comm1_.input();
        kept_.insert(kept_.end(), arrived.begin(), arrived.end());
    }
    return !kept_.empty();
}

void ByteExchange::noteLoss() {
    if (!lossLogged_) {
        lossLogged_ = true;
        log_.append(kPortLostEntry);
    }
}

} // namespace veloris
