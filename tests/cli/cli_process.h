#pragma once
// veloris-cli run as a child process, its output collected and its time taken.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace veloris::testing {

struct CliRun {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
    std::chrono::milliseconds took{};
};

// Runs the veloris-cli built alongside with these arguments, English texts unless `locale`
// says otherwise; sends it SIGTERM `terminateAfter` its start when asked to, and kills it
// after `patience`.
CliRun RunCli(const std::vector<std::string>& arguments, const std::string& locale = "C",
              std::chrono::milliseconds patience = std::chrono::seconds(30),
              std::optional<std::chrono::milliseconds> terminateAfter = std::nullopt);

} // namespace veloris::testing
