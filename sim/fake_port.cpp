#include "sim/fake_port.h"

#include <algorithm>

namespace veloris {

FakePort::FakePort(VirtualClock& clock, BoardSetup setup)
    : clock_(clock), board_(std::move(setup)), inputEmptiedAt_(clock.steadyNow()) {}

std::optional<OpenFailure> FakePort::open() {
    deliverDue();
    if (openFailure_) {
        OpenFailure failure = *openFailure_;
        if (failure.device.empty()) {
            failure.device = deviceName();
        }
        return failure;
    }
    if (board_.hungUp()) {
        return OpenFailure{OpenFailure::Reason::Absent, deviceName(), "the board has hung up", {}};
    }
    open_ = true;
    ++openCount_;
    inBuffer_.clear();
    inputEmptiedAt_ = clock_.steadyNow();
    return std::nullopt;
}

void FakePort::close() {
    deliverDue();
    open_ = false;
    inBuffer_.clear();
    heldOutput_.clear();
    inputEmptiedAt_ = clock_.steadyNow();
}

std::string FakePort::deviceName() const {
    return "sim:COM" + std::to_string(commPort_);
}

int FakePort::inBufferCount() {
    deliverDue();
    return static_cast<int>(inBuffer_.size());
}

Bytes FakePort::input() {
    deliverDue();
    Bytes taken(inBuffer_.begin(), inBuffer_.end());
    if (!inBuffer_.empty()) {
        inBuffer_.clear();
        inputEmptiedAt_ = clock_.steadyNow();
    }
    return taken;
}

int FakePort::outBufferCount() {
    if (!sendQueueStuck_) {
        return 0;
    }
    return std::max<int>(1, static_cast<int>(heldOutput_.size()));
}

void FakePort::output(std::span<const std::uint8_t> bytes) {
    if (!open_) {
        return;
    }
    deliverDue();
    for (const std::uint8_t byte : bytes) {
        if (sendQueueStuck_) {
            heldOutput_.push_back(byte);
        } else {
            toBoard(byte);
        }
    }
}

void FakePort::setSendQueueStuck(bool stuck) {
    sendQueueStuck_ = stuck;
    if (!stuck) {
        deliverDue();
        for (const std::uint8_t byte : heldOutput_) {
            toBoard(byte);
        }
        heldOutput_.clear();
    }
}

void FakePort::toBoard(std::uint8_t byte) {
    if (lost()) {
        return;
    }
    board_.hostByte(byte, clock_.steadyNow());
}

PortWait FakePort::waitForInput(std::chrono::milliseconds timeout) {
    deliverDue();
    if (open_ && !inBuffer_.empty()) {
        return PortWait::Ready;
    }
    if (lost()) {
        return PortWait::Lost;
    }
    const SteadyTime deadline = clock_.steadyNow() + timeout;
    if (open_) {
        const auto next = board_.nextSend(hostTookAll());
        if (next && next->due <= deadline) {
            clock_.advanceTo(next->due);
            deliverDue();
            return PortWait::Ready;
        }
    }
    clock_.advanceTo(deadline);
    deliverDue();
    return PortWait::TimedOut;
}

PortWait FakePort::waitForDrain(std::chrono::milliseconds timeout) {
    deliverDue();
    if (lost()) {
        return PortWait::Lost;
    }
    if (sendQueueStuck_) {
        clock_.advance(timeout);
        deliverDue();
        return PortWait::TimedOut;
    }
    return PortWait::Ready;
}

std::optional<SteadyTime> FakePort::hostTookAll() const {
    if (!inBuffer_.empty()) {
        return std::nullopt;
    }
    return inputEmptiedAt_;
}

void FakePort::deliverDue() {
    const SteadyTime now = clock_.steadyNow();
    while (const auto next = board_.nextSend(hostTookAll())) {
        if (next->due > now) {
            break;
        }
        board_.sent(next->due);
        if (open_) {
            inBuffer_.push_back(next->byte);
        }
    }
}

} // namespace veloris
