#include "bench/case_helpers.h"

#include <algorithm>
#include <thread>

namespace veloris::bench {

namespace {

using std::chrono::steady_clock;

// Longer than any paced operation, far shorter than a time-out.
constexpr std::chrono::milliseconds kSettleLimit{500};
// Between runs, after the last byte has left the line: no user clicks faster.
constexpr std::chrono::milliseconds kPauseBetweenRuns{2};

} // namespace

double Milliseconds(steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void AddProblem(std::vector<std::string>& problems, std::string problem) {
    if (std::find(problems.begin(), problems.end(), problem) == problems.end()) {
        problems.push_back(std::move(problem));
    }
}

void SettleBoard(PtyBoard& board) {
    (void)board.waitUntil([](const BoardModel& model) { return model.idle(); }, kSettleLimit);
    const auto lineFree = board.withBoard([](const BoardModel& model) {
        auto latest = steady_clock::time_point{};
        for (const WireEvent& event : model.trace().events()) {
            latest = std::max(latest, event.at);
        }
        return latest;
    });
    std::this_thread::sleep_until(std::max(lineFree, steady_clock::now()) + kPauseBetweenRuns);
}

} // namespace veloris::bench
