#include "bench/child_process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace veloris::bench {

namespace {

constexpr std::chrono::milliseconds kEndCheck{2};

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::string NameOf(const std::string& assignment) {
    return assignment.substr(0, assignment.find('='));
}

} // namespace

std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string directories = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= directories.size()) {
        const std::size_t end = std::min(directories.find(':', start), directories.size());
        const std::string directory = directories.substr(start, end - start);
        const std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& overrides,
                                         const std::vector<std::string>& removed) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string assignment = *entry;
        const std::string name = NameOf(assignment);
        bool dropped = false;
        for (const std::string& gone : removed) {
            dropped = dropped || gone == name;
        }
        for (const std::string& override : overrides) {
            dropped = dropped || NameOf(override) == name;
        }
        if (!dropped) {
            environment.push_back(assignment);
        }
    }
    environment.insert(environment.end(), overrides.begin(), overrides.end());
    return environment;
}

pid_t Spawn(const SpawnRequest& request) {
    std::vector<std::string> arguments{request.program};
    arguments.insert(arguments.end(), request.arguments.begin(), request.arguments.end());
    std::vector<std::string> environment = request.environment;
    std::vector<char*> argv = PointersTo(arguments);
    std::vector<char*> envp = PointersTo(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, request.outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (request.passAsFd3) {
        posix_spawn_file_actions_adddup2(&actions, *request.passAsFd3, 3);
    }
    pid_t child = -1;
    const int error =
        posix_spawn(&child, request.program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), request.program);
    }
    return child;
}

Ended WaitForEnd(pid_t child, std::chrono::milliseconds patience) {
    Ended ended;
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    while (true) {
        const pid_t done = ::wait4(child, &ended.status, WNOHANG, &ended.usage);
        if (done == child || (done < 0 && errno != EINTR)) {
            return ended;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            ::kill(child, SIGKILL);
            while (::wait4(child, &ended.status, 0, &ended.usage) < 0 && errno == EINTR) {
            }
            ended.killed = true;
            return ended;
        }
        std::this_thread::sleep_for(kEndCheck);
    }
}

} // namespace veloris::bench
