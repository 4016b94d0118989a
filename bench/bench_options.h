#pragma once
// The benchmark's command line.

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace veloris::bench {

inline constexpr int kDefaultRuns = 30;
// A read from a silent board lasts some eight seconds: fewer runs by default.
inline constexpr int kDefaultSilentRuns = 5;
inline constexpr int kQuickRuns = 3;

struct BenchOptions {
    int runs = kDefaultRuns;             // per paced case, and start-ups
    int silentRuns = kDefaultSilentRuns; // reads from a silent board
    std::optional<std::string> jsonFile;
    std::string program;    // the veloris executable whose start-up is timed
    std::string cliProgram; // the veloris-cli executable whose read is timed
    bool skipStartup = false;
    bool help = false;
};

inline constexpr const char* kUsage =
    "usage: veloris-bench [--quick] [--runs N] [--silent-runs N] [--json FILE]\n"
    "                     [--program PATH] [--cli PATH] [--no-startup]\n"
    "  --quick          3 runs of every case (for CI)\n"
    "  --runs N         runs of each paced case and of the start-up (default 30)\n"
    "  --silent-runs N  runs of the read from a silent board, ~8 s each (default 5)\n"
    "  --json FILE      also write the figures as JSON\n"
    "  --program PATH   the veloris executable to start (default: the one built alongside)\n"
    "  --cli PATH       the veloris-cli executable to time (default: the one built alongside)\n"
    "  --no-startup     leave out the start-up case\n";

// The options, or the reason the arguments were refused.
std::variant<BenchOptions, std::string> ParseOptions(const std::vector<std::string>& arguments,
                                                     const std::string& defaultProgram);

} // namespace veloris::bench
