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
#include <termios.h>
#include <unistd.h>

#include "serial/line_settings.h"
#include "serial/port_setup.h"

namespace veloris {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr milliseconds kDrainCheckInterval{1};
// How long output waits for the driver's queue to take another byte before dropping the rest.
constexpr milliseconds kOutputStallLimit{1000};
constexpr std::size_t kReadChunkBytes = 1024;

struct FlowControl {
    tcflag_t inputFlags = 0;
    tcflag_t controlFlags = 0;
};

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

std::optional<FlowControl> FlowControlFor(int handshaking) {
    constexpr tcflag_t kXonXoff = IXON | IXOFF;
    switch (handshaking) {
    case 0:
        return FlowControl{};
    case 1:
        return FlowControl{kXonXoff, 0};
    case 2:
        return FlowControl{0, CRTSCTS};
    case 3:
        return FlowControl{kXonXoff, CRTSCTS};
    default:
        return std::nullopt;
    }
}

tcflag_t DataBitsFlag(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

std::optional<tcflag_t> ParityFlags(Parity parity) {
    switch (parity) {
    case Parity::None:
        return tcflag_t{0};
    case Parity::Even:
        return tcflag_t{PARENB};
    case Parity::Odd:
        return tcflag_t{PARENB | PARODD};
#ifdef CMSPAR
    case Parity::Mark:
        return tcflag_t{PARENB | PARODD | CMSPAR};
    case Parity::Space:
        return tcflag_t{PARENB | CMSPAR};
#endif
    default:
        return std::nullopt;
    }
}

// Without waiting for carrier, and without becoming this program's controlling terminal.
int OpenDevice(const std::string& device) {
    return ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// Returns 0 or the error. The lock comes first: when another program holds the device we
// leave its line flags alone. TIOCEXCL then keeps out programs that open without locking,
// except root's.
int LockDevice(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return errno;
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        return errno;
    }
    return 0;
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

// Returns 0 or the error; EINVAL when the line did not take the settings.
int ApplyLineSettings(int fd, const LineSettings& line, const FlowControl& flow) {
    const std::optional<speed_t> speed = TermiosSpeed(line.baud);
    const std::optional<tcflag_t> parity = ParityFlags(line.parity);
    if (!speed || !parity) {
        return EINVAL;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return errno;
    }
    ::cfmakeraw(&tio);
    constexpr tcflag_t kFrame = CSIZE | PARENB | PARODD | CSTOPB;
#ifdef CMSPAR
    tio.c_cflag &= ~tcflag_t{CMSPAR};
#endif
    tio.c_cflag &= ~(kFrame | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | DataBitsFlag(line.dataBits) | *parity | flow.controlFlags;
    if (line.stopBits == 2) {
        tio.c_cflag |= CSTOPB;
    }
    // A byte with a parity error is handed over as it came rather than replaced by 0.
    tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    tio.c_iflag |= flow.inputFlags;
    // Reads return at once with what is there; waits are done with poll().
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, *speed) != 0 || ::cfsetospeed(&tio, *speed) != 0) {
        return EINVAL;
    }
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return errno;
    }
    // tcsetattr succeeds when any part of the change was taken, so read the frame back.
    termios applied{};
    if (::tcgetattr(fd, &applied) != 0) {
        return errno;
    }
    if ((applied.c_cflag & kFrame) != (tio.c_cflag & kFrame) || ::cfgetospeed(&applied) != *speed) {
        return EINVAL;
    }
    return 0;
}

// Bytes that came in before this opening belong to no exchange of ours.
void DiscardStaleInput(int fd) {
    ::tcflush(fd, TCIFLUSH);
}

// Returns 0 or the error. Runs on a device whose lock this program holds.
int ConfigureLine(int fd, const LineSettings& line, const FlowControl& flow) {
    if (const int error = CheckDeviceAnswers(fd); error != 0) {
        return error;
    }
    if (const int error = ApplyLineSettings(fd, line, flow); error != 0) {
        return error;
    }
    DiscardStaleInput(fd);
    return 0;
}

void CloseDevice(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::close(fd); // also releases the lock
}

int PollTimeout(milliseconds left) {
    return static_cast<int>(std::clamp<milliseconds::rep>(left.count(), 0, INT_MAX));
}

} // namespace

TermiosPort::TermiosPort(DeviceMapping deviceFor)
    : deviceFor_(std::move(deviceFor)), commPort_(kFirstPort), settings_(kLineSettings),
      handshaking_(kNoHandshaking) {}

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
    const int fd = OpenDevice(device);
    if (fd < 0) {
        const int error = errno;
        return SystemFailure(error, device);
    }
    if (const int error = LockDevice(fd); error != 0) {
        ::close(fd); // the holder's exclusive flag is not ours to clear
        return SystemFailure(error, device);
    }
    if (const int error = ConfigureLine(fd, *line, *flow); error != 0) {
        CloseDevice(fd);
        return SystemFailure(error, device);
    }
    fd_ = fd;
    lost_ = false;
    return std::nullopt;
}

void TermiosPort::close() {
    if (fd_ < 0) {
        return;
    }
    CloseDevice(fd_);
    fd_ = -1;
    lost_ = false;
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
    return queuedBytes(TIOCOUTQ);
}

Bytes TermiosPort::input() {
    Bytes bytes;
    if (!usable()) {
        return bytes;
    }
    std::array<std::uint8_t, kReadChunkBytes> chunk{};
    while (true) {
        const ssize_t count = ::read(fd_, chunk.data(), chunk.size());
        if (count > 0) {
            bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        // With VMIN and VTIME 0 an empty line reads as 0 bytes rather than EAGAIN.
        if (count < 0 && errno != EAGAIN) {
            noteError(errno);
        }
        return bytes;
    }
}

void TermiosPort::output(std::span<const std::uint8_t> bytes) {
    auto lastProgress = steady_clock::now();
    while (usable() && !bytes.empty()) {
        const ssize_t count = ::write(fd_, bytes.data(), bytes.size());
        if (count > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(count));
            lastProgress = steady_clock::now();
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && errno != EAGAIN) {
            noteError(errno);
            return;
        }
        const auto stalled =
            std::chrono::duration_cast<milliseconds>(steady_clock::now() - lastProgress);
        if (stalled >= kOutputStallLimit ||
            pollDevice(POLLOUT, kOutputStallLimit - stalled) != PortWait::Ready) {
            return;
        }
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

// tcdrain() would block with no deadline, so the send queue is watched in short steps.
PortWait TermiosPort::waitForDrain(milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    while (usable()) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
            noteError(errno);
            // Without a count there is nothing to wait for.
            return lost_ ? PortWait::Lost : PortWait::Ready;
        }
        if (queued == 0) {
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
