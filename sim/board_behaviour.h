#pragma once
// How the simulated board misbehaves, chosen per test. Each named mode sets one fault;
// modes combine with `|`, e.g. BoardBehaviour::Slow(5ms) | BoardBehaviour::Pacing().

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace veloris {

// One byte at 9600 baud with a start bit, eight data bits and a stop bit.
inline constexpr std::chrono::nanoseconds kLineByteTime{1'041'667};

struct BoardBehaviour {
    // Receives everything, answers nothing.
    bool silent = false;
    // The block whose header names this address gets its command echoed (the address comes
    // after it) and nothing more: no record is sent, no byte stored or echoed, until the host
    // sends a command code (0x01, 0x05, 0x06) again.
    std::optional<std::uint16_t> silentAt;
    // Every echo goes out wrong, and so do the debug monitor's answers 0x01, 0x04 and the 0x03
    // that starts its fourteen bytes; records and the other debug bytes are sent as they are.
    // The board carries on as if its echo had been right.
    bool wrongEcho = false;
    // In every write block, the echo of the data byte at this position (1 = first) is wrong;
    // the byte is still stored as received.
    std::optional<int> wrongEchoAtPosition;
    // What a wrong echo is: this byte, or the byte echoed with all bits flipped.
    std::optional<std::uint8_t> wrongEchoByte;
    // Records and the debug monitor's fourteen bytes go out at once, without waiting for the
    // host's echoes or for it to take the previous byte. The board is idle right after a
    // burst record, so the host's echoes reach an idle board, which takes any that equal a
    // command code (0x01, 0x05, 0x06) as a command; the default records hold none.
    bool burst = false;
    // Added before every byte the board sends.
    std::chrono::nanoseconds slowDelay{0};
    // Records go out with these in place of their first or last bytes (or both); the image
    // is unchanged.
    std::optional<std::uint8_t> wrongFrameOpen;
    std::optional<std::uint8_t> wrongFrameClose;
    // Hangs up on receiving this many bytes, without answering the last one.
    std::optional<std::size_t> disconnectAfter;
    // Every byte received or sent holds the line for kLineByteTime, one after the other.
    bool pacing = false;

    static BoardBehaviour Cooperative() { return {}; }
    static BoardBehaviour Silent();
    static BoardBehaviour SilentAt(std::uint16_t address);
    static BoardBehaviour WrongEcho(std::optional<std::uint8_t> wrongByte = std::nullopt);
    static BoardBehaviour WrongEchoOnce(int position,
                                        std::optional<std::uint8_t> wrongByte = std::nullopt);
    static BoardBehaviour Burst();
    static BoardBehaviour Slow(std::chrono::nanoseconds delay);
    static BoardBehaviour WrongFrame(std::uint8_t open = 0xCE, std::uint8_t close = 0xDE);
    // Only the closing DD of each record is spoilt.
    static BoardBehaviour WrongClose(std::uint8_t close = 0xDE);
    static BoardBehaviour DisconnectAfter(std::size_t receivedBytes);
    static BoardBehaviour Pacing();

    // The echo the board sends for `byte`, honouring wrongEchoByte.
    std::uint8_t wrongEchoOf(std::uint8_t byte) const;
};

// Both sets of faults; where both give a value the right one wins, and delays add up.
BoardBehaviour operator|(BoardBehaviour left, const BoardBehaviour& right);

} // namespace veloris
