#pragma once
// The control board's side of the serial protocol, free of I/O and clocks, so that the
// in-process port and the pseudo-terminal runner share it.
//
// A runner hands it each byte the host sent, with the time it came in, and asks which
// byte the board sends next and when that byte is due at the host's end; after putting
// the byte on the line it says so with sent(). All times are steady-clock time points,
// virtual or real as the runner chooses.
//
// What the board does, when idle:
// - 0x06 (read): echoes it, takes count, address high, address low, then sends the count
//   bytes of its EEPROM from that address, each one only after the host's echo of the
//   previous one; the host's echo of the last byte ends the block.
// - 0x05 (write): echoes it, takes count, address high, address low, then for each data
//   byte stores it and echoes it; one more byte (the host's closing byte) ends the block.
// - 0x01 (debug monitor): answers 0x01; then 0x04 is answered 0x04; then 0x03 and the next
//   byte are echoed; the host's closing byte brings 0x03, the two kept bytes and eleven
//   further bytes. The next four bytes are echoed, one more (closing) byte brings the
//   trailer, if any (or it comes with the last echo), and the board is idle again. A byte that does
//   not fit the early steps of this exchange is taken as if the board were idle.
// - Any other byte is ignored.
// The echoes of the host and its closing bytes are never compared with what they should be:
// the firmware only counts them.
//
// Pacing of what the board sends: a cooperative board sends the fourteen debug-monitor
// bytes one at a time, each holding the line for one byte time and each only once the host
// has taken every byte sent before it. A burst board sends them together.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "sim/board_behaviour.h"
#include "sim/eeprom_image.h"
#include "sim/wire_trace.h"

namespace veloris {

using SteadyTime = std::chrono::steady_clock::time_point;

// What the debug monitor sends after it has stopped.
struct DebugMonitorReply {
    std::uint8_t firstKeptByte = 0x12;
    std::uint8_t secondKeptByte = 0x34;
    std::array<std::uint8_t, 11> furtherBytes{};
    // Sent all at once after the host's last closing byte, for the host's final read.
    std::string trailer;
    // Sends the trailer together with the last echo instead, so that it is waiting when the
    // host reads right after its closing byte, as it does; on a real line (the pseudo-terminal)
    // a trailer that answers the closing byte comes too late for that read.
    bool trailerWithLastEcho = false;
};

struct BoardSetup {
    // Not explicit: a behaviour alone is a whole setup, e.g. FakePort(clock, Burst()).
    BoardSetup(BoardBehaviour behaviour = {}, DebugMonitorReply debugMonitor = {})
        : behaviour(std::move(behaviour)), debugMonitor(std::move(debugMonitor)) {}

    BoardBehaviour behaviour;
    DebugMonitorReply debugMonitor;
};

// A byte the board sends and the time it is complete at the host's end.
struct DueByte {
    std::uint8_t byte = 0;
    SteadyTime due;
};

class BoardModel {
  public:
    static constexpr std::uint8_t kReadCommand = 0x06;
    static constexpr std::uint8_t kWriteCommand = 0x05;
    static constexpr std::uint8_t kDebugInit = 0x01;
    static constexpr std::uint8_t kDebugHalt = 0x04;
    static constexpr std::uint8_t kDebugStop = 0x03;
    static constexpr std::size_t kDebugStreamSize = 14;

    explicit BoardModel(BoardSetup setup = {});

    // A byte from the host came in at `at`. With pacing it is complete one byte time after
    // the line is free, and the board answers no sooner.
    void hostByte(std::uint8_t byte, SteadyTime at);

    // The next byte to send and when it is due, or nothing while the board waits for the host.
    // `hostTookAll`: since when the host has had no unread byte from the board; nothing while
    // some wait unread. Bytes due at the same time are meant to arrive together.
    std::optional<DueByte> nextSend(std::optional<SteadyTime> hostTookAll) const;
    // The byte nextSend() gave is on the line, complete at the host's end at `at`.
    void sent(SteadyTime at);

    // True once DisconnectAfter has hung the board up; it then neither sends nor receives.
    bool hungUp() const { return hungUp_; }
    // The cable plugged back in: idle, nothing queued, the received count starts again and
    // DisconnectAfter is cleared. The EEPROM, the other faults and the trace stay.
    void reconnect();

    bool idle() const { return state_ == State::Idle && outgoing_.empty(); }
    // Bytes are queued to go out, due or not.
    bool hasOutgoing() const { return !outgoing_.empty(); }
    std::size_t receivedCount() const { return receivedCount_; }

    EepromImage& eeprom() { return eeprom_; }
    const EepromImage& eeprom() const { return eeprom_; }
    BoardBehaviour& behaviour() { return setup_.behaviour; }
    const BoardBehaviour& behaviour() const { return setup_.behaviour; }
    DebugMonitorReply& debugMonitor() { return setup_.debugMonitor; }
    const WireTrace& trace() const { return trace_; }
    WireTrace& trace() { return trace_; }

  private:
    enum class State {
        Idle,
        HeaderCount,
        HeaderAddressHigh,
        HeaderAddressLow,
        ReadAwaitingEcho,
        WriteData,
        WriteClosing,
        IgnoringBlock,
        DebugStarted,
        DebugHalted,
        DebugStopping,
        DebugAwaitingClose,
        DebugFinalEchoes,
        DebugFinalClosing,
    };

    struct Outgoing {
        std::uint8_t byte = 0;
        SteadyTime ready;   // the host byte it answers is complete
        bool afterHostTook; // waits until the host has read everything sent before
        bool holdsLine;     // takes a byte time on the line even without pacing
    };

    void handle(std::uint8_t byte, SteadyTime ready);
    void handleIdle(std::uint8_t byte, SteadyTime ready);
    void startBlock(SteadyTime ready);
    void sendRecordByte(SteadyTime ready);
    void sendDebugStream(SteadyTime ready);
    void sendTrailer(SteadyTime ready);
    void echo(std::uint8_t byte, SteadyTime ready, bool wrong);
    void queue(std::uint8_t byte, SteadyTime ready, bool afterHostTook = false,
               bool holdsLine = false);

    BoardSetup setup_;
    EepromImage eeprom_;
    WireTrace trace_;
    std::deque<Outgoing> outgoing_;

    State state_ = State::Idle;
    std::uint8_t command_ = 0;
    std::uint8_t count_ = 0;
    std::uint16_t address_ = 0;
    std::size_t position_ = 0; // data bytes of the block (or debug echoes) done so far

    std::size_t receivedCount_ = 0;
    bool hungUp_ = false;
    std::optional<SteadyTime> receiveLineFree_;
    std::optional<SteadyTime> lastSent_;
};

} // namespace veloris
