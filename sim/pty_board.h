#pragma once
// The simulated board behind a pseudo-terminal, for tests that go through the real
// termios port: the host opens slavePath() as it would a serial device.
//
// The board runs on a thread of its own on the master side, in real time (Slow and Pacing
// delays are real). It holds the slave open itself, without reading it, so that the host can
// close and reopen the slave without the master seeing a hang-up; it also uses that
// descriptor to see whether the host has read everything sent so far, which a cooperative
// board waits for between the debug monitor's fourteen bytes.
//
// DisconnectAfter closes the master: the host's slave descriptor then sees a hang-up, and
// the device path goes away. A reconnected board is a new PtyBoard, with a new path.
//
// Every accessor may be called from any thread while the board runs.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "sim/board.h"

namespace veloris {

class PtyBoard {
  public:
    // Throws std::system_error when no pseudo-terminal can be had.
    explicit PtyBoard(BoardSetup setup = {});
    ~PtyBoard();
    PtyBoard(const PtyBoard&) = delete;
    PtyBoard& operator=(const PtyBoard&) = delete;

    // The slave device, e.g. "/dev/pts/7".
    const std::string& slavePath() const { return slavePath_; }

    // Runs `use` on the board with the board's thread held off.
    template <typename Use> auto withBoard(Use&& use) {
        std::lock_guard lock(mutex_);
        return use(board_);
    }

    WireTrace trace() const;
    Bytes receivedByBoard() const;
    Bytes sentByBoard() const;
    EepromImage eeprom() const;
    void setSlotValue(std::uint16_t address, std::uint16_t value);
    bool hungUp() const;

    // Puts bytes on the line as if the board had sent them, outside its protocol and its
    // trace: noise. They go out after whatever the board has due, as fast as the line takes
    // them; a line whose host does not read keeps the rest until it does.
    void inject(Bytes noise);
    // Injected bytes not yet on the line.
    std::size_t injectedPending() const;

    // Waits, at most `timeout` of real time, until `done` holds for the board; rechecked
    // after every byte either way. True when it came to hold.
    bool waitUntil(const std::function<bool(const BoardModel&)>& done,
                   std::chrono::milliseconds timeout) const;
    // The same for "the board has received at least `count` bytes since it was made".
    bool waitForReceived(std::size_t count, std::chrono::milliseconds timeout) const;

  private:
    // The longest the thread blocks before it looks at the stop flag again.
    static constexpr std::chrono::milliseconds kStopCheck{20};
    // How often the host's input is looked at while a byte waits for the host to take it.
    static constexpr std::chrono::microseconds kTakeCheck{250};

    void run();
    // Sends what is due; returns when the thread should look again.
    std::chrono::nanoseconds sendDue();
    // Writes what the line takes of the injected bytes; true when some remain.
    bool sendInjected();
    void receiveWaiting();
    std::optional<SteadyTime> hostTookAll(SteadyTime now);
    void hangUp();

    BoardModel board_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;

    int master_ = -1;
    int heldSlave_ = -1;
    std::string slavePath_;

    std::optional<SteadyTime> hostTookSince_;
    std::deque<std::uint8_t> injected_;

    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace veloris
