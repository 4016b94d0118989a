#include "cli_process.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace veloris::testing {

namespace {

std::vector<std::string> Environment(const std::string& locale) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        if (variable.rfind("LC_", 0) != 0 && variable.rfind("LANG", 0) != 0) {
            environment.push_back(variable);
        }
    }
    environment.push_back("LC_ALL=" + locale);
    environment.push_back("LANG=" + locale);
    return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

CliRun RunCli(const std::vector<std::string>& arguments, const std::string& locale,
              std::chrono::milliseconds patience, std::function<bool()> terminateWhen,
              bool stderrOnTerminal, int stopSignal) {
    std::array<int, 2> out{};
    std::array<int, 2> err{}; // read end, write end
    if (::pipe2(out.data(), O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe");
    }
    if (stderrOnTerminal) {
        // The master side reads what the program writes to the terminal.
        if (::openpty(&err[0], &err[1], nullptr, nullptr, nullptr) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        ::fcntl(err[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(err[1], F_SETFD, FD_CLOEXEC);
    } else if (::pipe2(err.data(), O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> argv{VELORIS_CLI_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = Environment(locale);
    auto argvPointers = Pointers(argv);
    auto envPointers = Pointers(envp);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, VELORIS_CLI_PROGRAM, &actions, nullptr,
                                      argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) {
        ::close(out[0]);
        ::close(err[0]);
        throw std::runtime_error("cannot start " VELORIS_CLI_PROGRAM);
    }

    CliRun run;
    std::array<pollfd, 2> watched{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
    std::array<std::string*, 2> into{&run.out, &run.err};
    int open = 2;
    const auto giveUp = start + patience;
    while (open > 0 && std::chrono::steady_clock::now() < giveUp) {
        if (terminateWhen && terminateWhen()) {
            ::kill(child, stopSignal);
            terminateWhen = nullptr;
        }
        if (::poll(watched.data(), watched.size(), 5) < 0 && errno != EINTR) {
            break;
        }
        for (std::size_t i = 0; i < watched.size(); ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t count = ::read(watched[i].fd, chunk, sizeof chunk);
            if (count > 0) {
                into[i]->append(chunk, static_cast<std::size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                ::close(watched[i].fd);
                watched[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& w : watched) {
        if (w.fd >= 0) {
            ::close(w.fd);
        }
    }
    int status = 0;
    if (open > 0) { // out of patience: the child still holds its output open
        ::kill(child, SIGKILL);
    }
    ::waitpid(child, &status, 0);
    run.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace veloris::testing
