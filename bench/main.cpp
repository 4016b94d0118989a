// veloris-bench: the three operations timed against the simulated board on a
// pseudo-terminal, a silent board's cost in CPU, the program's start-up, and a whole
// veloris-cli read.

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <sys/utsname.h>
#include <unistd.h>

#include "bench/bench_options.h"
#include "bench/bench_report.h"

#ifndef VELORIS_BENCH_PROGRAM
#define VELORIS_BENCH_PROGRAM "veloris"
#endif
#ifndef VELORIS_BENCH_CLI_PROGRAM
#define VELORIS_BENCH_CLI_PROGRAM "veloris-cli"
#endif

namespace {

using namespace veloris::bench;

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string Machine() {
    utsname names{};
    std::string machine = "unknown machine";
    if (uname(&names) == 0) {
        machine = std::string(names.machine) + ", " + names.sysname + " " + names.release;
    }
    return machine + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " CPUs";
}

void Progress(const std::string& what) {
    std::cerr << "veloris-bench: " << what << "...\n";
}

} // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto parsed = ParseOptions(arguments, VELORIS_BENCH_PROGRAM);
    if (const auto* refusal = std::get_if<std::string>(&parsed)) {
        std::cerr << "veloris-bench: " << *refusal << "\n" << kUsage;
        return 2;
    }
    BenchOptions options = std::get<BenchOptions>(parsed);
    if (options.cliProgram.empty()) {
        options.cliProgram = VELORIS_BENCH_CLI_PROGRAM;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }

    BenchResults results;
    results.when = UtcNow();
    results.machine = Machine();
    results.runs = options.runs;
    results.silentRuns = options.silentRuns;

    Progress("read, four slots");
    results.paced.push_back(MeasureRead(options.runs));
    Progress("write, four slots");
    results.paced.push_back(MeasureWrite(options.runs));
    Progress("program-load exchange");
    results.paced.push_back(MeasureProgramLoad(options.runs));
    Progress("read with no board (some 8 s a run)");
    results.silent = MeasureSilentRead(options.silentRuns);
    if (!options.skipStartup) {
        Progress("start-up of " + options.program);
        results.startup = MeasureStartup(options.program, options.runs);
    }

    Progress("veloris-cli read, process start to exit");
    results.cli = MeasureCliRead(options.cliProgram, options.runs);

    std::cout << FormatTable(results) << std::flush;
    if (options.jsonFile) {
        std::ofstream json(*options.jsonFile);
        json << FormatJson(results);
        if (!json) {
            std::cerr << "veloris-bench: cannot write " << *options.jsonFile << "\n";
            return 1;
        }
    }
    return Problems(results).empty() ? 0 : 1;
}
