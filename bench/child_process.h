#pragma once
// Starting a program of our own and collecting it again: the benchmark starts the X server
// and the program under test this way, and ends only what it started, by process id.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/types.h>

namespace veloris::bench {

// The full path of `name` from PATH, or nothing when it is not there.
std::optional<std::string> FindProgram(const std::string& name);

// This process's environment with `overrides` ("NAME=value") set and `removed` names dropped.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& overrides,
                                         const std::vector<std::string>& removed);

struct SpawnRequest {
    std::string program;
    std::vector<std::string> arguments; // without the program itself
    std::vector<std::string> environment;
    std::string outputFile = "/dev/null"; // stdout and stderr go here
    // A descriptor of ours the child gets as descriptor 3, e.g. the write end of a pipe.
    std::optional<int> passAsFd3;
};

// The child's process id; throws std::system_error when it cannot be started.
pid_t Spawn(const SpawnRequest& request);

struct Ended {
    int status = 0;      // as wait4 gives it
    rusage usage{};      // of the child alone
    bool killed = false; // it did not end in time and was killed
};

// Waits for the child to end, at most `patience`; after that kills it and waits again.
Ended WaitForEnd(pid_t child, std::chrono::milliseconds patience);

} // namespace veloris::bench
