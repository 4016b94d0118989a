#pragma once
// The three operations timed against the simulated board on a pseudo-terminal, through the
// real termios port, with the board holding the line one byte time for every byte.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "protocol/parameter_slots.h"

namespace veloris::bench {

// Bytes that went over the line during one operation, as the board's trace tells them.
struct ByteCount {
    std::size_t toBoard = 0;
    std::size_t fromBoard = 0;

    std::size_t total() const { return toBoard + fromBoard; }
    bool operator==(const ByteCount&) const = default;
};

// What the protocol needs at the least, by the exchange of each operation:
// read, per slot: command, echo, count, two address bytes, four record bytes, four echoes;
// write, per slot: command, echo, count, two address bytes, four data bytes, four echoes,
// the closing byte; program load: 01/01, 04/04, 03 00 with echoes and closing byte, the
// monitor's fourteen bytes, four bytes with echoes and the closing byte.
inline constexpr ByteCount kReadBytes{8 * kSlotCount, 5 * kSlotCount};
inline constexpr ByteCount kWriteBytes{9 * kSlotCount, 5 * kSlotCount};
inline constexpr ByteCount kProgramLoadBytes{10, 22};
// A silent board: one command byte per slot, nothing back.
inline constexpr ByteCount kSilentReadBytes{kSlotCount, 0};
inline constexpr int kSilentReadTimeouts = static_cast<int>(kSlotCount);

// A cooperative board that holds the line for every byte.
struct PacedCase {
    std::string key;   // for the JSON, e.g. "read"
    std::string title; // for the table, e.g. "read, four slots"
    int runs = 0;
    ByteCount expectedBytes;
    ByteCount measuredBytes; // of the last run
    bool bytesSteady = true; // every run counted the same bytes
    std::chrono::nanoseconds lineLimit{};
    Summary wallMs;
    Summary ratio; // wall time over the line limit
    // The program's own work per run: opening and closing the port, and from each byte
    // coming in to the answer going out; and that turnaround per byte answered.
    Summary hostWorkMs;
    Summary turnaroundMicros;
    // What went wrong in any run (a complaint, a value not read or written); empty when
    // every run did what the operation is for.
    std::vector<std::string> problems;
};

// A board that answers nothing: every expected byte ends in a time-out.
struct SilentCase {
    int runs = 0;
    ByteCount expectedBytes = kSilentReadBytes;
    ByteCount measuredBytes;
    bool bytesSteady = true;
    int timeouts = 0; // of the last run
    Summary wallSeconds;
    // CPU time (user + system) over wall time, in percent: of the whole process, the
    // board's thread included, and of the thread that runs the operation alone.
    Summary processCpuPercent;
    Summary operationThreadCpuPercent;
    std::vector<std::string> problems;
};

PacedCase MeasureRead(int runs);
// Each timed write follows an untimed read, as a user reads before writing; every run
// writes new values into every slot.
PacedCase MeasureWrite(int runs);
PacedCase MeasureProgramLoad(int runs);
SilentCase MeasureSilentRead(int runs);

} // namespace veloris::bench
