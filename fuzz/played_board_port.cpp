#include "fuzz/played_board_port.h"

#include <algorithm>

namespace veloris::fuzz {

namespace {

using std::chrono::milliseconds;

// Answers come at once, a moment later, just inside a byte wait, or too late for it.
constexpr milliseconds kAnswerDelays[] = {milliseconds{0}, milliseconds{10}, milliseconds{1900},
                                          milliseconds{2700}};

enum class Answer : std::uint8_t {
    Nothing,
    Echo,
    OneByte,
    TwoBytes,
    ThreeBytes,
    EchoAndOneByte,
    HangUp,
    Noise, // a count, then that many bytes
};

} // namespace

PlayedBoardPort::PlayedBoardPort(VirtualClock& clock, std::span<const std::uint8_t> script)
    : clock_(clock), script_(script) {}

std::optional<OpenFailure> PlayedBoardPort::open() {
    if (hungUp_) {
        return OpenFailure{OpenFailure::Reason::Absent, deviceName(), "the board hung up", {}};
    }
    open_ = true;
    inBuffer_.clear();
    return std::nullopt;
}

void PlayedBoardPort::close() {
    open_ = false;
    inBuffer_.clear();
    coming_.clear();
}

std::uint8_t PlayedBoardPort::nextScriptByte() {
    return at_ < script_.size() ? script_[at_++] : 0;
}

void PlayedBoardPort::playStep(std::uint8_t hostByte) {
    if (at_ >= script_.size()) {
        return; // the script is over: the board has fallen silent
    }
    const std::uint8_t step = nextScriptByte();
    const auto answer = static_cast<Answer>(step & 0x07);
    const auto due = clock_.steadyNow() + kAnswerDelays[(step >> 3) & 0x03];
    // Whether the bytes of one answer come together or a millisecond apart.
    const milliseconds spacing{(step >> 5) & 0x01};
    auto send = [&, n = 0](std::uint8_t byte) mutable {
        coming_.push_back({byte, due + n++ * spacing});
    };
    switch (answer) {
    case Answer::Nothing:
        break;
    case Answer::Echo:
        send(hostByte);
        break;
    case Answer::OneByte:
    case Answer::TwoBytes:
    case Answer::ThreeBytes:
        for (int i = 0; i <= static_cast<int>(answer) - static_cast<int>(Answer::OneByte); ++i) {
            send(nextScriptByte());
        }
        break;
    case Answer::EchoAndOneByte:
        send(hostByte);
        send(nextScriptByte());
        break;
    case Answer::HangUp:
        hungUp_ = true;
        coming_.clear();
        break;
    case Answer::Noise:
        for (int n = nextScriptByte(); n > 0; --n) {
            send(nextScriptByte());
        }
        break;
    }
    // One transmitter: nothing overtakes what is already on its way.
    std::stable_sort(coming_.begin(), coming_.end(),
                     [](const Arrival& a, const Arrival& b) { return a.due < b.due; });
}

void PlayedBoardPort::deliverDue() {
    while (!coming_.empty() && coming_.front().due <= clock_.steadyNow()) {
        if (open_ && !hungUp_) {
            inBuffer_.push_back(coming_.front().byte);
        }
        coming_.pop_front();
    }
}

int PlayedBoardPort::inBufferCount() {
    deliverDue();
    return static_cast<int>(inBuffer_.size());
}

Bytes PlayedBoardPort::input() {
    deliverDue();
    Bytes taken;
    taken.swap(inBuffer_);
    return taken;
}

void PlayedBoardPort::output(std::span<const std::uint8_t> bytes) {
    if (!open_ || hungUp_) {
        return;
    }
    for (const std::uint8_t byte : bytes) {
        sentByHost_.push_back(byte);
        playStep(byte);
    }
}

PortWait PlayedBoardPort::waitForInput(milliseconds timeout) {
    deliverDue();
    if (lost() || !open_) {
        return PortWait::Lost;
    }
    if (!inBuffer_.empty()) {
        return PortWait::Ready;
    }
    const auto deadline = clock_.steadyNow() + timeout;
    if (!coming_.empty() && coming_.front().due <= deadline) {
        clock_.advanceTo(coming_.front().due);
        deliverDue();
        return PortWait::Ready;
    }
    clock_.advanceTo(deadline);
    return PortWait::TimedOut;
}

PortWait PlayedBoardPort::waitForDrain(milliseconds) {
    return lost() || !open_ ? PortWait::Lost : PortWait::Ready;
}

} // namespace veloris::fuzz
