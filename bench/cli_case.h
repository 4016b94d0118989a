#pragma once
// veloris-cli read as a user runs it: a whole process, from its start to its exit, against
// the simulated board on a pseudo-terminal with the line's pace.

#include <chrono>
#include <string>
#include <vector>

#include "bench/line_cases.h"
#include "bench/summary.h"

namespace veloris::bench {

// A process may take this much longer than the read's bytes take on the line.
inline constexpr std::chrono::milliseconds kCliOverheadTarget{30};

struct CliCase {
    int runs = 0;
    std::string program;
    std::string skipped; // why there are no figures, when there are none
    ByteCount expectedBytes = kReadBytes;
    ByteCount measuredBytes;
    bool bytesSteady = true;
    std::chrono::nanoseconds lineLimit{};
    Summary wallMs; // process started to process collected
    // The same for /bin/true: what starting any process costs on this machine.
    Summary bareProcessMs;
    std::vector<std::string> problems;

    double targetMs() const;
    bool met() const { return wallMs.median <= targetMs(); }
};

CliCase MeasureCliRead(const std::string& program, int runs);

} // namespace veloris::bench
