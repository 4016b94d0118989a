// veloris-sim-board: one simulated board on a pseudo-terminal, paced like the real line, for
// trying veloris-cli without a telescope. Prints the device to give to -p, then serves it
// until interrupted (Ctrl-C) or terminated.

#include <csignal>
#include <cstdio>
#include <iterator>

#include <pthread.h>

#include "protocol/parameter_slots.h"
#include "sim/pty_board.h"

int main() {
    // Blocked before the board's thread starts, so that only sigwait below takes them.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    // Values like those of a drive in use: delays between micro-steps, below 36000.
    constexpr std::uint16_t kValues[] = {18750, 31250, 9375, 1500};
    static_assert(std::size(kValues) == veloris::kSlotCount);
    veloris::PtyBoard board(veloris::BoardBehaviour::Pacing());
    for (std::size_t slot = 0; slot < veloris::kSlotCount; ++slot) {
        board.setSlotValue(veloris::kSlots[slot].address, kValues[slot]);
    }
    std::printf("%s\n", board.slavePath().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&ending, &signal);
    return 0;
}
