#pragma once
// What the benchmark cases share: durations in milliseconds, a problem list without
// repeats, and the wait for the simulated board to finish with a run.

#include <string>
#include <vector>

#include "sim/pty_board.h"

namespace veloris::bench {

double Milliseconds(std::chrono::steady_clock::duration d);

// Adds the problem unless it is listed already: a fault met on every run is told once.
void AddProblem(std::vector<std::string>& problems, std::string problem);

// Waits for the board to finish with the last run and the line to fall quiet: the board
// models the line time of the last byte it took, and a run started before that has passed
// would find the line busy.
void SettleBoard(PtyBoard& board);

} // namespace veloris::bench
