#include "sim/board.h"

#include <algorithm>

namespace veloris {

BoardModel::BoardModel(BoardSetup setup) : setup_(std::move(setup)) {}

void BoardModel::hostByte(std::uint8_t byte, SteadyTime at) {
    if (hungUp_) {
        return; // nobody is listening on a dead line
    }
    SteadyTime complete = at;
    if (setup_.behaviour.pacing) {
        complete = std::max(at, receiveLineFree_.value_or(at)) + kLineByteTime;
        receiveLineFree_ = complete;
    }
    trace_.record(byte, WireDirection::HostToBoard, complete);
    ++receivedCount_;

    const auto& limit = setup_.behaviour.disconnectAfter;
    if (limit && receivedCount_ >= *limit) {
        hungUp_ = true;
        outgoing_.clear();
        return;
    }
    if (setup_.behaviour.silent) {
        return;
    }
    handle(byte, complete);
}

void BoardModel::handle(std::uint8_t byte, SteadyTime ready) {
    const BoardBehaviour& behaviour = setup_.behaviour;
    switch (state_) {
    case State::Idle:
        handleIdle(byte, ready);
        break;
    case State::HeaderCount:
        count_ = byte;
        state_ = State::HeaderAddressHigh;
        break;
    case State::HeaderAddressHigh:
        address_ = static_cast<std::uint16_t>(byte << 8);
        state_ = State::HeaderAddressLow;
        break;
    case State::HeaderAddressLow:
        address_ = static_cast<std::uint16_t>(address_ | byte);
        startBlock(ready);
        break;
    case State::ReadAwaitingEcho:
        ++position_;
        if (position_ < count_) {
            sendRecordByte(ready);
        } else {
            state_ = State::Idle;
        }
        break;
    case State::WriteData: {
        eeprom_.setByte(static_cast<std::uint16_t>(address_ + position_), byte);
        ++position_;
        const bool wrongHere =
            behaviour.wrongEchoAtPosition &&
            static_cast<std::size_t>(*behaviour.wrongEchoAtPosition) == position_;
        echo(byte, ready, behaviour.wrongEcho || wrongHere);
        if (position_ >= count_) {
            state_ = State::WriteClosing;
        }
        break;
    }
    case State::WriteClosing:
        state_ = State::Idle;
        break;
    case State::IgnoringBlock:
        // The silenced block ends when the host starts another one.
        if (byte == kReadCommand || byte == kWriteCommand || byte == kDebugInit) {
            state_ = State::Idle;
            handleIdle(byte, ready);
        }
        break;
    case State::DebugStarted:
        if (byte == kDebugHalt) {
            echo(byte, ready, behaviour.wrongEcho);
            state_ = State::DebugHalted;
        } else {
            state_ = State::Idle;
            handleIdle(byte, ready);
        }
        break;
    case State::DebugHalted:
        if (byte == kDebugStop) {
            echo(byte, ready, behaviour.wrongEcho);
            state_ = State::DebugStopping;
        } else {
            state_ = State::Idle;
            handleIdle(byte, ready);
        }
        break;
    case State::DebugStopping:
        echo(byte, ready, behaviour.wrongEcho);
        state_ = State::DebugAwaitingClose;
        break;
    case State::DebugAwaitingClose:
        sendDebugStream(ready);
        position_ = 0;
        state_ = State::DebugFinalEchoes;
        break;
    case State::DebugFinalEchoes:
        echo(byte, ready, behaviour.wrongEcho);
        if (++position_ >= 4) {
            if (setup_.debugMonitor.trailerWithLastEcho) {
                sendTrailer(ready);
            }
            state_ = State::DebugFinalClosing;
        }
        break;
    case State::DebugFinalClosing:
        if (!setup_.debugMonitor.trailerWithLastEcho) {
            sendTrailer(ready);
        }
        state_ = State::Idle;
        break;
    }
}

void BoardModel::handleIdle(std::uint8_t byte, SteadyTime ready) {
    switch (byte) {
    case kReadCommand:
    case kWriteCommand:
        echo(byte, ready, setup_.behaviour.wrongEcho);
        command_ = byte;
        state_ = State::HeaderCount;
        break;
    case kDebugInit:
        echo(byte, ready, setup_.behaviour.wrongEcho);
        state_ = State::DebugStarted;
        break;
    default:
        break; // the firmware drops what it does not know
    }
}

void BoardModel::startBlock(SteadyTime ready) {
    position_ = 0;
    if (setup_.behaviour.silentAt == address_) {
        state_ = State::IgnoringBlock;
        return;
    }
    if (command_ == kWriteCommand) {
        state_ = count_ == 0 ? State::WriteClosing : State::WriteData;
        return;
    }
    if (count_ == 0) {
        state_ = State::Idle;
        return;
    }
    if (setup_.behaviour.burst) {
        for (; position_ < count_; ++position_) {
            sendRecordByte(ready);
        }
        state_ = State::Idle;
        return;
    }
    sendRecordByte(ready);
    state_ = State::ReadAwaitingEcho;
}

void BoardModel::sendRecordByte(SteadyTime ready) {
    const BoardBehaviour& behaviour = setup_.behaviour;
    std::uint8_t byte = eeprom_.byte(static_cast<std::uint16_t>(address_ + position_));
    if (position_ == 0 && behaviour.wrongFrameOpen) {
        byte = *behaviour.wrongFrameOpen;
    } else if (position_ + 1 == count_ && behaviour.wrongFrameClose) {
        byte = *behaviour.wrongFrameClose;
    }
    queue(byte, ready);
}

void BoardModel::sendDebugStream(SteadyTime ready) {
    const DebugMonitorReply& reply = setup_.debugMonitor;
    const bool cooperative = !setup_.behaviour.burst;
    const std::uint8_t stopAnswer =
        setup_.behaviour.wrongEcho ? setup_.behaviour.wrongEchoOf(kDebugStop) : kDebugStop;
    queue(stopAnswer, ready, cooperative, cooperative);
    queue(reply.firstKeptByte, ready, cooperative, cooperative);
    queue(reply.secondKeptByte, ready, cooperative, cooperative);
    for (const std::uint8_t byte : reply.furtherBytes) {
        queue(byte, ready, cooperative, cooperative);
    }
}

void BoardModel::sendTrailer(SteadyTime ready) {
    // The host reads the trailer with a single look at its input, so it goes out whole.
    for (const char c : setup_.debugMonitor.trailer) {
        queue(static_cast<std::uint8_t>(c), ready);
    }
}

void BoardModel::echo(std::uint8_t byte, SteadyTime ready, bool wrong) {
    queue(wrong ? setup_.behaviour.wrongEchoOf(byte) : byte, ready);
}

void BoardModel::queue(std::uint8_t byte, SteadyTime ready, bool afterHostTook, bool holdsLine) {
    outgoing_.push_back({byte, ready, afterHostTook, holdsLine});
}

std::optional<DueByte> BoardModel::nextSend(std::optional<SteadyTime> hostTookAll) const {
    if (hungUp_ || outgoing_.empty()) {
        return std::nullopt;
    }
    const Outgoing& next = outgoing_.front();
    SteadyTime start = next.ready;
    if (next.afterHostTook) {
        if (!hostTookAll) {
            return std::nullopt;
        }
        start = std::max(start, *hostTookAll);
    }
    if (lastSent_) {
        start = std::max(start, *lastSent_); // one transmitter: bytes leave in order
    }
    start += setup_.behaviour.slowDelay;
    if (setup_.behaviour.pacing || next.holdsLine) {
        start += kLineByteTime;
    }
    return DueByte{next.byte, start};
}

void BoardModel::sent(SteadyTime at) {
    if (outgoing_.empty()) {
        return;
    }
    trace_.record(outgoing_.front().byte, WireDirection::BoardToHost, at);
    outgoing_.pop_front();
    lastSent_ = at;
}

void BoardModel::reconnect() {
    hungUp_ = false;
    setup_.behaviour.disconnectAfter.reset();
    receivedCount_ = 0;
    outgoing_.clear();
    state_ = State::Idle;
    position_ = 0;
    receiveLineFree_.reset();
}

} // namespace veloris
