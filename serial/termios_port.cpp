#include "serial/termios_port.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "serial/device_kind.h"
#include "serial/line_settings.h"
#include "serial/port_setup.h"
#include "serial/process_table.h"
#include "serial/system_console.h"
#include "serial/termios_line.h"

namespace veloris {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr milliseconds kDrainCheckInterval{1};
// How long closing lets queued bytes leave: the whole send buffer at 9600 baud, and more.
constexpr milliseconds kCloseDrainLimit{1000};
constexpr std::size_t kReadChunkBytes = 1024;

std::string SystemWords(int error) {
    return std::system_category().message(error);
}

OpenFailure::Reason ClassifyOpenError(int error) {
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    // A /dev/ttyS node with no UART behind it answers with EIO.
    case EIO:
        return OpenFailure::Reason::Absent;
    case EACCES:
    case EPERM:
        return OpenFailure::Reason::PermissionDenied;
    // EBUSY: another program set the line exclusive; EWOULDBLOCK: it holds the lock.
    case EBUSY:
    case EWOULDBLOCK:
        return OpenFailure::Reason::Busy;
    case EINVAL:
        return OpenFailure::Reason::BadSettings;
    // A terminal call on something that is no terminal line.
    case ENOTTY:
        return OpenFailure::Reason::NotSerialPort;
    default:
        return OpenFailure::Reason::Other;
    }
}

OpenFailure SystemFailure(int error, std::string device) {
    return OpenFailure{ClassifyOpenError(error), std::move(device), SystemWords(error), {}};
}

OpenFailure Failure(OpenFailure::Reason reason, std::string device, std::string detail) {
    return OpenFailure{reason, std::move(device), std::move(detail), {}};
}

// Errors that mean the device is gone: a pulled adapter leaves a hung-up line that
// answers EIO, and a vanished device node ENXIO or ENODEV.
bool IsHangUp(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

// Without waiting for carrier, and without becoming this program's controlling terminal.
int OpenDevice(const std::string& device) {
    return ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// Returns 0 or the error. The lock comes first: when another program holds the device we
// leave its line flags alone.
int LockDevice(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

// Returns 0 or the error. Keeps out programs that open without locking, except root's. A
// pseudo-terminal keeps the flag after its holder is killed, for as long as its other end
// lives, which would shut out every ordinary user; there flock and the lock file suffice.
int MakeExclusive(int fd, DeviceKind kind) {
    if (kind != DeviceKind::SerialLine) {
        return 0;
    }
    return ::ioctl(fd, TIOCEXCL) == 0 ? 0 : errno;
}

// Refuses a device that is the console or no serial line at all.
std::optional<OpenFailure> RefusalFor(DeviceKind kind, const std::string& device) {
    switch (kind) {
    case DeviceKind::SystemConsole:
        return Failure(OpenFailure::Reason::SystemConsole, device, {});
    case DeviceKind::NotSerialPort:
        return Failure(OpenFailure::Reason::NotSerialPort, device, {});
    case DeviceKind::SerialLine:
    case DeviceKind::PseudoTerminal:
        break;
    }
    return std::nullopt;
}

OpenFailure BusyFailure(std::string device, std::optional<OpenFailure::Holder> holder,
                        std::string detail) {
    OpenFailure failure = Failure(OpenFailure::Reason::Busy, std::move(device), std::move(detail));
    failure.holder = std::move(holder);
    return failure;
}

// Returns 0 or the error. A /dev/ttyS node whose UART is missing opens, then fails every
// read with EIO; an empty read finds that out without taking a byte.
int CheckDeviceAnswers(int fd) {
    std::uint8_t none = 0;
    if (::read(fd, &none, 0) < 0 && errno == EIO) {
        return EIO;
    }
    return 0;
}

// Bytes that came in before this opening belong to no exchange of ours.
void DiscardStaleInput(int fd) {
    ::tcflush(fd, TCIFLUSH);
}

int PollTimeout(milliseconds left) {
    return static_cast<int>(std::clamp<milliseconds::rep>(left.count(), 0, INT_MAX));
}

} // namespace

TermiosPort::TermiosPort(DeviceMapping deviceFor, PortSystem system)
    : deviceFor_(std::move(deviceFor)), system_(std::move(system)), commPort_(kFirstPort),
      settings_(kLineSettings), handshaking_(kNoHandshaking) {
    if (!system_.consoleDevices) {
        system_.consoleDevices = [] { return SystemConsoleDevices(); };
    }
    if (!system_.serialFlags) {
        system_.serialFlags = DeviceSerialFlags;
    }
}

TermiosPort::~TermiosPort() {
    close();
}

std::string TermiosPort::deviceName() const {
    return deviceFor_ ? deviceFor_(commPort_) : std::string{};
}

std::optional<OpenFailure> TermiosPort::open() {
    close();
    const std::string device = deviceName();
    const std::optional<LineSettings> line = ParseLineSettings(settings_);
    if (!line) {
        return Failure(OpenFailure::Reason::BadSettings, device,
                       "settings \"" + settings_ + "\" not understood");
    }
    const std::optional<FlowControl> flow = FlowControlFor(handshaking_);
    if (!flow) {
        return Failure(OpenFailure::Reason::BadSettings, device,
                       "handshaking " + std::to_string(handshaking_) + " not supported");
    }
    if (auto failure = openDevice(device)) {
        return failure;
    }
    // The line settings found are put back at close, whatever happens in between.
    termios found{};
    if (::tcgetattr(fd_, &found) == 0) {
        lineFound_ = found;
    }
    if (const int error = ApplyLineSettings(fd_, *line, *flow); error != 0) {
        releaseDevice();
        return SystemFailure(error, device);
    }
    serialFlagsFound_ = TurnOnLowLatency(*system_.serialFlags(fd_));
    DiscardStaleInput(fd_);
    return std::nullopt;
}

std::optional<OpenFailure> TermiosPort::openDevice(const std::string& device) {
    // Judged by where the name leads: a by-id name or a symlink is the device behind it,
    // and that is the name other programs lock.
    std::error_code unresolved;
    const std::string real = std::filesystem::canonical(device, unresolved).string();
    if (unresolved) {
        return SystemFailure(unresolved.value(), device);
    }
    struct stat status {};
    if (::stat(real.c_str(), &status) != 0) {
        return SystemFailure(errno, device);
    }
    const std::vector<dev_t> consoles = system_.consoleDevices();
    if (auto refusal = RefusalFor(KindOfDevice(status, consoles), device)) {
        return refusal;
    }

    auto acquired = UucpLock::Acquire(system_.lockDir, real);
    if (const int* holder = std::get_if<int>(&acquired)) {
        return BusyFailure(device, OpenFailure::Holder{ProcessName(*holder), *holder},
                           "lock file " + (system_.lockDir / LockFileName(real)).string());
    }
    UucpLock lock = std::move(std::get<UucpLock>(acquired));

    const int fd = OpenDevice(real);
    if (fd < 0) {
        const int error = errno;
        if (error == EISDIR) {
            return Failure(OpenFailure::Reason::NotSerialPort, device, {});
        }
        OpenFailure failure = SystemFailure(error, device);
        if (error == EBUSY) {
            failure.holder = FindDeviceHolder(status.st_rdev);
        }
        return failure;
    }
    // The file opened is judged again: the name may have been swapped since it was looked at.
    DeviceKind kind = DeviceKind::NotSerialPort;
    if (::fstat(fd, &status) == 0) {
        kind = KindOfDevice(status, consoles);
    }
    if (kind != DeviceKind::SystemConsole && !IsTerminal(fd)) {
        kind = DeviceKind::NotSerialPort;
    }
    if (auto refusal = RefusalFor(kind, device)) {
        ::close(fd);
        return refusal;
    }
    if (const int error = LockDevice(fd); error != 0) {
        OpenFailure failure = SystemFailure(error, device);
        failure.holder = FindDeviceHolder(status.st_rdev, fd);
        ::close(fd); // the holder's line is not ours to touch
        return failure;
    }
    if (const int error = MakeExclusive(fd, kind); error != 0) {
        ::close(fd);
        return SystemFailure(error, device);
    }
    if (const int error = CheckDeviceAnswers(fd); error != 0) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return SystemFailure(error, device);
    }
    fd_ = fd;
    lost_ = false;
    lock_ = std::move(lock);
    return std::nullopt;
}

void TermiosPort::close() {
    releaseDevice();
}

void TermiosPort::releaseDevice() {
    if (fd_ < 0) {
        return;
    }
    // A byte still leaving must not be cut by a change of speed.
    const bool drained = !lost_ && letOutputLeave(kCloseDrainLimit);
    if (serialFlagsFound_) {
        PutBackSerialFlags(*system_.serialFlags(fd_), *serialFlagsFound_);
    }
    if (lineFound_) {
        ::tcsetattr(fd_, drained ? TCSADRAIN : TCSANOW, &*lineFound_);
    }
    // Cleared on every close, also when a killed instance of an older version left it set.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_); // also releases the flock
    fd_ = -1;
    lost_ = false;
    lineFound_.reset();
    serialFlagsFound_.reset();
    sendBuffer_.clear();
    lock_.release();
}

bool TermiosPort::letOutputLeave(milliseconds limit) {
    return waitForDrain(limit) == PortWait::Ready;
}

void TermiosPort::noteError(int error) {
    if (IsHangUp(error)) {
        lost_ = true;
    }
}

int TermiosPort::queuedBytes(unsigned long request) {
    if (!usable()) {
        return 0;
    }
    int count = 0;
    if (::ioctl(fd_, request, &count) != 0) {
        noteError(errno);
        return 0;
    }
    return count;
}

int TermiosPort::inBufferCount() {
    return queuedBytes(FIONREAD);
}

int TermiosPort::outBufferCount() {
    pushSendBuffer();
    return queuedBytes(TIOCOUTQ) + static_cast<int>(sendBuffer_.size());
}

Bytes TermiosPort::input() {
    Bytes bytes;
    if (!usable()) {
        return bytes;
    }
    // Only what is there now: under a flood, reading until the line falls quiet would never
    // end. One read is tried even when the count says nothing, as the count may lag.
    std::size_t waiting = std::max(queuedBytes(FIONREAD), 1);
    std::array<std::uint8_t, kReadChunkBytes> chunk{};
    while (waiting > 0 && usable()) {
        const ssize_t count = ::read(fd_, chunk.data(), std::min(chunk.size(), waiting));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        // With VMIN and VTIME 0 an empty line reads as 0 bytes rather than EAGAIN.
        if (count <= 0) {
            if (count < 0 && errno != EAGAIN) {
                noteError(errno);
            }
            break;
        }
        const auto taken = static_cast<std::size_t>(count);
        waiting -= std::min(waiting, taken);
        // A full receive buffer loses what comes on top of it, as the control's does.
        const std::size_t kept = std::min(taken, kReceiveBufferBytes - bytes.size());
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(kept));
        discardedInput_ += taken - kept;
    }
    return bytes;
}

void TermiosPort::output(std::span<const std::uint8_t> bytes) {
    if (!usable()) {
        return;
    }
    // What does not fit in the send buffer is lost, as with the control's full buffer; the
    // byte exchange never sends before the buffer is empty, so it never comes to that.
    const std::size_t room = kSendBufferBytes - sendBuffer_.size();
    const std::size_t queued = std::min(room, bytes.size());
    sendBuffer_.insert(sendBuffer_.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(queued));
    pushSendBuffer();
}

void TermiosPort::pushSendBuffer() {
    std::array<std::uint8_t, kSendBufferBytes> chunk{};
    while (usable() && !sendBuffer_.empty()) {
        const std::size_t size = std::min(chunk.size(), sendBuffer_.size());
        std::copy_n(sendBuffer_.begin(), size, chunk.begin());
        const ssize_t count = ::write(fd_, chunk.data(), size);
        if (count > 0) {
            sendBuffer_.erase(sendBuffer_.begin(), sendBuffer_.begin() + count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        // EAGAIN: the driver's queue is full; the rest waits for the line to drain.
        if (count < 0 && errno != EAGAIN) {
            noteError(errno);
        }
        return;
    }
}

PortWait TermiosPort::pollDevice(short events, milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    while (true) {
        const auto left = std::chrono::ceil<milliseconds>(deadline - steady_clock::now());
        pollfd watched{fd_, events, 0};
        const int ready = ::poll(&watched, 1, PollTimeout(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        // A device that cannot be polled is as good as gone, and saying so keeps callers
        // from spinning on waits that fail at once.
        if (ready < 0 || (watched.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            lost_ = true;
            return PortWait::Lost;
        }
        if ((watched.revents & events) != 0) {
            return PortWait::Ready;
        }
        if (steady_clock::now() >= deadline) {
            return PortWait::TimedOut;
        }
    }
}

PortWait TermiosPort::waitForInput(milliseconds timeout) {
    if (!usable()) {
        return PortWait::Lost;
    }
    return pollDevice(POLLIN, timeout);
}

// tcdrain() would block with no deadline, so the send queues are watched in short steps.
PortWait TermiosPort::waitForDrain(milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    while (usable()) {
        pushSendBuffer();
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
            noteError(errno);
            if (lost_) {
                return PortWait::Lost;
            }
            queued = 0; // without a count from the driver, only our own queue is known
        }
        if (queued == 0 && sendBuffer_.empty()) {
            return PortWait::Ready;
        }
        const auto now = steady_clock::now();
        if (now >= deadline) {
            return PortWait::TimedOut;
        }
        std::this_thread::sleep_for(
            std::min<steady_clock::duration>(kDrainCheckInterval, deadline - now));
    }
    return PortWait::Lost;
}

} // namespace veloris
