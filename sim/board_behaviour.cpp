#include "sim/board_behaviour.h"

namespace veloris {

BoardBehaviour BoardBehaviour::Silent() {
    BoardBehaviour behaviour;
    behaviour.silent = true;
    return behaviour;
}

BoardBehaviour BoardBehaviour::SilentAt(std::uint16_t address) {
    BoardBehaviour behaviour;
    behaviour.silentAt = address;
    return behaviour;
}

BoardBehaviour BoardBehaviour::WrongEcho(std::optional<std::uint8_t> wrongByte) {
    BoardBehaviour behaviour;
    behaviour.wrongEcho = true;
    behaviour.wrongEchoByte = wrongByte;
    return behaviour;
}

BoardBehaviour BoardBehaviour::WrongEchoOnce(int position, std::optional<std::uint8_t> wrongByte) {
    BoardBehaviour behaviour;
    behaviour.wrongEchoAtPosition = position;
    behaviour.wrongEchoByte = wrongByte;
    return behaviour;
}

BoardBehaviour BoardBehaviour::Burst() {
    BoardBehaviour behaviour;
    behaviour.burst = true;
    return behaviour;
}

BoardBehaviour BoardBehaviour::Slow(std::chrono::nanoseconds delay) {
    BoardBehaviour behaviour;
    behaviour.slowDelay = delay;
    return behaviour;
}

BoardBehaviour BoardBehaviour::WrongFrame(std::uint8_t open, std::uint8_t close) {
    BoardBehaviour behaviour;
    behaviour.wrongFrameOpen = open;
    behaviour.wrongFrameClose = close;
    return behaviour;
}

BoardBehaviour BoardBehaviour::WrongClose(std::uint8_t close) {
    BoardBehaviour behaviour;
    behaviour.wrongFrameClose = close;
    return behaviour;
}

BoardBehaviour BoardBehaviour::DisconnectAfter(std::size_t receivedBytes) {
    BoardBehaviour behaviour;
    behaviour.disconnectAfter = receivedBytes;
    return behaviour;
}

BoardBehaviour BoardBehaviour::Pacing() {
    BoardBehaviour behaviour;
    behaviour.pacing = true;
    return behaviour;
}

std::uint8_t BoardBehaviour::wrongEchoOf(std::uint8_t byte) const {
    return wrongEchoByte.value_or(static_cast<std::uint8_t>(byte ^ 0xFF));
}

BoardBehaviour operator|(BoardBehaviour left, const BoardBehaviour& right) {
    left.silent = left.silent || right.silent;
    if (right.silentAt) {
        left.silentAt = right.silentAt;
    }
    left.wrongEcho = left.wrongEcho || right.wrongEcho;
    if (right.wrongEchoAtPosition) {
        left.wrongEchoAtPosition = right.wrongEchoAtPosition;
    }
    if (right.wrongEchoByte) {
        left.wrongEchoByte = right.wrongEchoByte;
    }
    left.burst = left.burst || right.burst;
    left.slowDelay += right.slowDelay;
    if (right.wrongFrameOpen) {
        left.wrongFrameOpen = right.wrongFrameOpen;
    }
    if (right.wrongFrameClose) {
        left.wrongFrameClose = right.wrongFrameClose;
    }
    if (right.disconnectAfter) {
        left.disconnectAfter = right.disconnectAfter;
    }
    left.pacing = left.pacing || right.pacing;
    return left;
}

} // namespace veloris
