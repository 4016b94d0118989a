#pragma once
// veloris-cli run as a child process, its output collected and its time taken.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <signal.h>

namespace veloris::testing {

struct CliRun {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
    std::chrono::milliseconds took{};
};

// Runs the veloris-cli built alongside with these arguments, English texts unless `locale`
// says otherwise; sends it `stopSignal` once `terminateWhen` holds, when given (it is asked
// every few milliseconds), and kills it after `patience`. With `stderrOnTerminal` its stderr
// is a pseudo-terminal, as in an interactive shell.
CliRun RunCli(const std::vector<std::string>& arguments, const std::string& locale = "C",
              std::chrono::milliseconds patience = std::chrono::seconds(30),
              std::function<bool()> terminateWhen = {}, bool stderrOnTerminal = false,
              int stopSignal = SIGTERM);

} // namespace veloris::testing
