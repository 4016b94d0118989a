#pragma once
// Helpers for tests that go through the real termios port: a pseudo-terminal pair whose
// master side the test plays, and child processes that run without root's rights.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "serial/termios_port.h"

namespace veloris::testing_support {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A pseudo-terminal pair: the test plays the board on the master side while the port opens
// the slave as it would a serial device. Closing the master hangs the slave up, as pulling
// a USB adapter does.
class PtyPair {
  public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 &&
            ::ptsname_r(master_, name, sizeof name) == 0) {
            slave_ = name;
        }
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ready() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& slave() const { return slave_; }
    int master() const { return master_; }

    void closeMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

    void send(const Bytes& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // What the board side received, up to `count` bytes or until `timeout` passes.
    Bytes receive(std::size_t count, milliseconds timeout) const {
        Bytes bytes;
        const auto deadline = steady_clock::now() + timeout;
        while (bytes.size() < count && steady_clock::now() < deadline) {
            pollfd watched{master_, POLLIN, 0};
            if (::poll(&watched, 1, 10) == 1 && (watched.revents & POLLIN) != 0) {
                std::uint8_t chunk[256];
                const ssize_t got = ::read(master_, chunk, sizeof chunk);
                if (got > 0) {
                    bytes.insert(bytes.end(), chunk, chunk + got);
                }
            }
        }
        return bytes;
    }

  private:
    int master_ = -1;
    std::string slave_;
};

// What a child process reports as its exit status.
constexpr int kOpened = 100;
constexpr int kCouldNotDropRoot = 101;
constexpr uid_t kNobody = 65534;

// A fresh port's opening: the failure reason, or kOpened.
inline int OpenWithPort(const std::string& device, PortSystem system = {}) {
    TermiosPort port([device](int) { return device; }, std::move(system));
    const std::optional<OpenFailure> failure = port.open();
    return failure ? static_cast<int>(failure->reason) : kOpened;
}

// An opening by a program that takes no lock: the error, or kOpened.
inline int OpenPlainly(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    return fd < 0 ? errno : kOpened;
}

// Runs `attempt` in a child process without root's rights, as the user's program runs:
// root opens through file modes and exclusive lines alike. Gives nothing when the rights
// could not be dropped.
inline std::optional<int> RunUnprivileged(const std::function<int()>& attempt) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(kCouldNotDropRoot);
        }
        ::_exit(attempt());
    }
    if (child < 0) {
        return std::nullopt;
    }
    int status = 0;
    const auto deadline = steady_clock::now() + 10s;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(5ms);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == kCouldNotDropRoot) {
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

} // namespace veloris::testing_support
