#pragma once
// SIGTERM, SIGINT and SIGHUP (the last is what a dropped SSH session sends) turned into a
// stop request. The board cannot abort a block: a host that stops in the middle of a write
// leaves the board waiting for the rest of the record, and whatever is sent next is stored
// into it. So a signal never ends the program where it stands; it asks the operation to
// finish the block under way and start no further one, after which the front end closes
// the port (which puts back its settings and removes its lock file) and ends.
//
// The handler only sets a flag and writes one byte to a pipe (the self-pipe): a front end
// watches the pipe's read end (a QSocketNotifier in the window, poll() in a command line)
// to learn of the signal when it is idle.
//
// One instance at a time; it takes the three signals while it lives and gives back the
// handlers it found when destroyed.

#include <array>
#include <csignal>

#include <signal.h>

#include "operations/parameters.h"

namespace veloris {

class StopOnSignal final : public StopRequest {
  public:
    // Throws std::system_error when the pipe or a handler cannot be set up, and
    // std::logic_error when another instance lives.
    StopOnSignal();
    ~StopOnSignal() override;
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    // True once one of the signals came.
    bool requested() const override;
    // The first signal that came, or 0.
    int signal() const;
    // Readable once a signal came; drain() empties it again.
    int notifierFd() const { return pipe_[0]; }
    // Reads away what the handler wrote, so that a watcher is not woken again for it.
    void drain() const;

  private:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
    std::array<int, 2> pipe_{-1, -1};
    std::array<struct sigaction, kSignals.size()> previous_{};
};

} // namespace veloris
