#include "operations/stop_on_signal.h"

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace veloris {

namespace {

// What the handler may touch: a flag of the type made for it, and the pipe's write end.
volatile std::sig_atomic_t gSignal = 0;
volatile std::sig_atomic_t gPipeWrite = -1;
bool gInstance = false;

extern "C" void OnStopSignal(int number) {
    const int savedErrno = errno;
    if (gSignal == 0) {
        gSignal = number;
    }
    const char byte = 1;
    // A full pipe already says that a signal came; nothing else can be done here.
    [[maybe_unused]] const ssize_t written = ::write(gPipeWrite, &byte, 1);
    errno = savedErrno;
}

} // namespace

StopOnSignal::StopOnSignal() {
    if (gInstance) {
        throw std::logic_error("only one StopOnSignal may live at a time");
    }
    if (::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::system_category(), "pipe2");
    }
    gSignal = 0;
    gPipeWrite = pipe_[1];
    gInstance = true;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    ::sigemptyset(&action.sa_mask);
    // Interrupted reads and writes go on; poll() still returns EINTR, and the byte waits
    // take that as a reason to look again, not to give up.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &previous_[i]) != 0) {
            const int error = errno;
            for (std::size_t j = 0; j < i; ++j) {
                ::sigaction(kSignals[j], &previous_[j], nullptr);
            }
            ::close(pipe_[0]);
            ::close(pipe_[1]);
            gPipeWrite = -1;
            gInstance = false;
            throw std::system_error(error, std::system_category(), "sigaction");
        }
    }
}

StopOnSignal::~StopOnSignal() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
    gPipeWrite = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
    gInstance = false;
}

bool StopOnSignal::requested() const {
    return gSignal != 0;
}

int StopOnSignal::signal() const {
    return gSignal;
}

void StopOnSignal::drain() const {
    char bytes[64];
    while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
}

} // namespace veloris
