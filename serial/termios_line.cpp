#include "serial/termios_line.h"

#include <cerrno>

namespace veloris {

namespace {

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

} // namespace

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

} // namespace veloris
