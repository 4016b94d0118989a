#pragma once
// The figures of one benchmark run, as a plain table for people and as JSON for comparing
// one run with the next.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "bench/cli_case.h"
#include "bench/line_cases.h"
#include "bench/startup_case.h"

namespace veloris::bench {

// What the figures should come to on the project's 2-core machine.
inline constexpr double kLineRatioTarget = 1.10; // read and write, median
inline constexpr double kSilentCpuTargetPercent = 2.0;
inline constexpr std::chrono::milliseconds kStartupTarget{300};
inline constexpr double kPeakRssTargetMB = 60.0;

struct BenchResults {
    std::string when;    // UTC, ISO 8601
    std::string machine; // e.g. "x86_64, Linux 6.1.0, 2 CPUs"
    int runs = 0;
    int silentRuns = 0;
    std::vector<PacedCase> paced; // read, write, program load
    std::optional<SilentCase> silent;
    std::optional<StartupCase> startup;
    std::optional<CliCase> cli;
};

// The target a paced case is held to, if any: read and write only.
std::optional<double> RatioTarget(const PacedCase& paced);

// Everything that went wrong in the operations: complaints, values not read or written,
// byte counts that differ from the protocol's. Empty when all ran as they should.
std::vector<std::string> Problems(const BenchResults& results);

std::string FormatTable(const BenchResults& results);
std::string FormatJson(const BenchResults& results);

} // namespace veloris::bench
