#pragma once
// Start-up of the real program on a private Xvfb display: from the moment it is started
// to its window shown and first painted, and the most memory it held.

#include <string>
#include <vector>

#include "bench/summary.h"

namespace veloris::bench {

struct StartupCase {
    int runs = 0;
    std::string display; // how it was shown, e.g. "Xvfb :1"; empty when not measured
    std::string skipped; // why there are no figures, when there are none
    Summary shownMs;     // started to its window mapped on the screen
    Summary paintedMs;   // started to the window's first pixels painted
    Summary peakRssMB;   // peak resident memory of the whole run, start to close, in 10^6 bytes
    std::vector<std::string> problems;
};

// Starts `program` `runs` times, each time closing its window once painted, as the window
// manager's close button would.
StartupCase MeasureStartup(const std::string& program, int runs);

} // namespace veloris::bench
