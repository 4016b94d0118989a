#include "sim/pty_board.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace veloris {

namespace {

[[noreturn]] void throwLastError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Bytes must pass unchanged both ways: no echo, no line editing, no CR/LF mapping.
bool makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return false;
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

timespec toTimespec(std::chrono::nanoseconds wait) {
    if (wait < std::chrono::nanoseconds::zero()) {
        wait = std::chrono::nanoseconds::zero();
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    return timespec{static_cast<time_t>(seconds.count()),
                    static_cast<long>((wait - seconds).count())};
}

} // namespace

PtyBoard::PtyBoard(BoardSetup setup) : board_(std::move(setup)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        throwLastError("posix_openpt");
    }
    std::array<char, 128> name{};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name.data(), name.size()) != 0) {
        const int error = errno;
        ::close(master_);
        throw std::system_error(error, std::generic_category(), "pseudo-terminal set-up");
    }
    slavePath_ = name.data();
    heldSlave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (heldSlave_ < 0 || !makeRaw(heldSlave_) || !makeRaw(master_) ||
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
        const int error = errno;
        if (heldSlave_ >= 0) {
            ::close(heldSlave_);
        }
        ::close(master_);
        throw std::system_error(error, std::generic_category(), slavePath_);
    }
    thread_ = std::thread([this] { run(); });
}

PtyBoard::~PtyBoard() {
    stopping_ = true;
    thread_.join();
    std::lock_guard lock(mutex_);
    hangUp();
}

void PtyBoard::run() {
    while (!stopping_) {
        const std::chrono::nanoseconds wait =
            std::min<std::chrono::nanoseconds>(sendDue(), kStopCheck);
        int master = -1;
        {
            std::lock_guard lock(mutex_);
            master = master_;
        }
        if (master < 0) {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, kStopCheck);
            continue;
        }
        pollfd watch{master, POLLIN, 0};
        const timespec timeout = toTimespec(wait);
        const int ready = ppoll(&watch, 1, &timeout, nullptr);
        if (ready > 0 && (watch.revents & POLLIN) != 0) {
            receiveWaiting();
        } else if (ready > 0) {
            // Hang-up or error without data: do not spin on it.
            nanosleep(&timeout, nullptr);
        }
    }
}

std::chrono::nanoseconds PtyBoard::sendDue() {
    std::lock_guard lock(mutex_);
    if (master_ < 0) {
        return kStopCheck;
    }
    if (board_.hungUp()) {
        hangUp();
        return kStopCheck;
    }
    const SteadyTime now = std::chrono::steady_clock::now();
    const std::optional<SteadyTime> took = hostTookAll(now);
    Bytes batch;
    std::optional<SteadyTime> nextDue;
    // Everything due now goes out in one write, so that a burst arrives together.
    while (const auto next = board_.nextSend(batch.empty() ? took : std::nullopt)) {
        if (next->due > now) {
            nextDue = next->due;
            break;
        }
        board_.sent(now);
        batch.push_back(next->byte);
    }
    if (!batch.empty()) {
        // A full slave queue drops the rest, as a line with nobody reading would.
        [[maybe_unused]] const ssize_t written = ::write(master_, batch.data(), batch.size());
        hostTookSince_.reset();
        changed_.notify_all();
    }
    if (sendInjected()) {
        return kTakeCheck; // the line is full: look again once the host has read some
    }
    if (nextDue) {
        return *nextDue - now;
    }
    if (board_.hasOutgoing()) {
        return kTakeCheck; // a byte waits for the host to take the previous ones
    }
    return kStopCheck;
}

bool PtyBoard::sendInjected() {
    while (!injected_.empty()) {
        const std::size_t chunk = std::min<std::size_t>(injected_.size(), 4096);
        const Bytes bytes(injected_.begin(),
                          injected_.begin() + static_cast<std::ptrdiff_t>(chunk));
        const ssize_t written = ::write(master_, bytes.data(), bytes.size());
        if (written <= 0) {
            break; // full (EAGAIN): the rest waits for the host to read
        }
        injected_.erase(injected_.begin(), injected_.begin() + written);
        hostTookSince_.reset();
        changed_.notify_all();
    }
    return !injected_.empty();
}

void PtyBoard::inject(Bytes noise) {
    std::lock_guard lock(mutex_);
    injected_.insert(injected_.end(), noise.begin(), noise.end());
}

std::size_t PtyBoard::injectedPending() const {
    std::lock_guard lock(mutex_);
    return injected_.size();
}

void PtyBoard::receiveWaiting() {
    std::array<std::uint8_t, 256> buffer{};
    std::lock_guard lock(mutex_);
    if (master_ < 0) {
        return;
    }
    const ssize_t count = ::read(master_, buffer.data(), buffer.size());
    if (count <= 0) {
        return;
    }
    const SteadyTime now = std::chrono::steady_clock::now();
    for (ssize_t i = 0; i < count; ++i) {
        board_.hostByte(buffer[static_cast<std::size_t>(i)], now);
    }
    changed_.notify_all();
}

std::optional<SteadyTime> PtyBoard::hostTookAll(SteadyTime now) {
    // Polling the slave, unlike asking how much it holds, first lets the bytes still on
    // their way from the master land, so a byte just written never looks already taken.
    pollfd unread{heldSlave_, POLLIN, 0};
    if (::poll(&unread, 1, 0) != 0) {
        hostTookSince_.reset();
        return std::nullopt;
    }
    if (!hostTookSince_) {
        hostTookSince_ = now;
    }
    return hostTookSince_;
}

void PtyBoard::hangUp() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (heldSlave_ >= 0) {
        ::close(heldSlave_);
        heldSlave_ = -1;
    }
    changed_.notify_all();
}

WireTrace PtyBoard::trace() const {
    std::lock_guard lock(mutex_);
    return board_.trace();
}

Bytes PtyBoard::receivedByBoard() const {
    std::lock_guard lock(mutex_);
    return board_.trace().receivedByBoard();
}

Bytes PtyBoard::sentByBoard() const {
    std::lock_guard lock(mutex_);
    return board_.trace().sentByBoard();
}

EepromImage PtyBoard::eeprom() const {
    std::lock_guard lock(mutex_);
    return board_.eeprom();
}

void PtyBoard::setSlotValue(std::uint16_t address, std::uint16_t value) {
    std::lock_guard lock(mutex_);
    board_.eeprom().setSlotValue(address, value);
}

bool PtyBoard::hungUp() const {
    std::lock_guard lock(mutex_);
    return master_ < 0;
}

bool PtyBoard::waitUntil(const std::function<bool(const BoardModel&)>& done,
                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(board_); });
}

bool PtyBoard::waitForReceived(std::size_t count, std::chrono::milliseconds timeout) const {
    return waitUntil(
        [count](const BoardModel& board) {
            return board.trace().receivedByBoard().size() >= count;
        },
        timeout);
}

} // namespace veloris
