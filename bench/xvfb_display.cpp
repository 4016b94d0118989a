#include "bench/xvfb_display.h"

#include <array>
#include <chrono>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include "bench/child_process.h"

namespace veloris::bench {

namespace {

constexpr std::chrono::milliseconds kStartLimit{10000};
constexpr std::chrono::milliseconds kEndLimit{3000};

// Reads the display number Xvfb writes to its -displayfd descriptor, up to the newline.
std::optional<std::string> ReadDisplayNumber(int fd, std::chrono::milliseconds limit) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    std::string number;
    while (std::chrono::steady_clock::now() < giveUp) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            giveUp - std::chrono::steady_clock::now());
        pollfd watched{fd, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(left.count()) + 1) <= 0) {
            continue;
        }
        std::array<char, 32> chunk{};
        const ssize_t count = ::read(fd, chunk.data(), chunk.size());
        if (count <= 0) {
            return std::nullopt; // the server went away
        }
        number.append(chunk.data(), static_cast<std::size_t>(count));
        if (const auto end = number.find('\n'); end != std::string::npos) {
            return number.substr(0, end);
        }
    }
    return std::nullopt;
}

} // namespace

XvfbDisplay::XvfbDisplay(const std::string& xvfbProgram) {
    std::array<int, 2> ends{};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe for Xvfb's display number");
    }
    SpawnRequest request;
    request.program = xvfbProgram;
    // -br: a black root window, against which the program's first paint shows.
    request.arguments = {"-displayfd",  "3",         "-screen", "0",
                         "1024x768x24", "-nolisten", "tcp",     "-br"};
    request.environment = EnvironmentWith({}, {});
    request.passAsFd3 = ends[1];
    try {
        server_ = Spawn(request);
    } catch (...) {
        ::close(ends[0]);
        ::close(ends[1]);
        throw;
    }
    ::close(ends[1]);
    const std::optional<std::string> number = ReadDisplayNumber(ends[0], kStartLimit);
    ::close(ends[0]);
    if (!number || number->empty()) {
        ::kill(server_, SIGTERM);
        (void)WaitForEnd(server_, kEndLimit);
        server_ = -1;
        throw std::runtime_error("Xvfb did not come up");
    }
    name_ = ":" + *number;
}

XvfbDisplay::~XvfbDisplay() {
    if (server_ > 0) {
        ::kill(server_, SIGTERM);
        (void)WaitForEnd(server_, kEndLimit);
    }
}

} // namespace veloris::bench
