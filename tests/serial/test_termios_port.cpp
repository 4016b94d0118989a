#include "serial/termios_port.h"

#include <atomic>
#include <cerrno>
#include <functional>
#include <numeric>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/pty_pair.h"

namespace veloris {
namespace {

using namespace testing_support;

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

milliseconds ThreadCpuTime() {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    const auto toDuration = [](const timeval& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    return std::chrono::duration_cast<milliseconds>(toDuration(usage.ru_utime) +
                                                    toDuration(usage.ru_stime));
}

milliseconds Since(steady_clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
}

// Everything that arrives within `timeout`, taken the way the byte exchange takes it.
Bytes CollectInput(SerialPort& port, std::size_t count, milliseconds timeout) {
    Bytes received;
    const auto deadline = steady_clock::now() + timeout;
    while (received.size() < count && steady_clock::now() < deadline &&
           port.waitForInput(50ms) != PortWait::Lost) {
        const Bytes more = port.input();
        received.insert(received.end(), more.begin(), more.end());
    }
    return received;
}

class TermiosPortTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(pty.ready()) << "no pseudo-terminal to test on"; }

    void openPort() {
        const std::optional<OpenFailure> failure = port.open();
        ASSERT_FALSE(failure.has_value()) << failure->device << ": " << failure->detail;
    }

    PtyPair pty;
    TermiosPort port{[this](int) { return pty.slave(); }};
};

TEST_F(TermiosPortTest, PassesEveryByteValueUnchangedBothWays) {
    openPort();
    // Line-discipline bytes: NUL, ^C, LF, CR, XON, XOFF, DEL, and 0xFF.
    const Bytes special{0x00, 0x03, 0x0A, 0x0D, 0x11, 0x13, 0x7F, 0xFF};
    port.output(special);
    EXPECT_EQ(port.waitForDrain(1s), PortWait::Ready);
    EXPECT_EQ(pty.receive(special.size(), 2s), special);

    Bytes everyValue(256);
    std::iota(everyValue.begin(), everyValue.end(), 0);
    pty.send(everyValue);
    EXPECT_EQ(CollectInput(port, everyValue.size(), 2s), everyValue);
}

TEST_F(TermiosPortTest, CountsWaitingInputUntilItIsTaken) {
    openPort();
    EXPECT_EQ(port.inBufferCount(), 0);
    pty.send({0x06, 0x00, 0xFF});
    ASSERT_EQ(port.waitForInput(1s), PortWait::Ready);
    const auto deadline = steady_clock::now() + 1s;
    while (port.inBufferCount() < 3 && steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(port.inBufferCount(), 3);
    EXPECT_EQ(port.input(), (Bytes{0x06, 0x00, 0xFF}));
    EXPECT_EQ(port.inBufferCount(), 0);
    EXPECT_TRUE(port.input().empty());
}

TEST_F(TermiosPortTest, DiscardsInputThatCameBeforeOpening) {
    pty.send({0x55, 0x66});
    std::this_thread::sleep_for(50ms);
    openPort();
    EXPECT_EQ(port.waitForInput(100ms), PortWait::TimedOut);
    EXPECT_TRUE(port.input().empty());
}

// A Linux pseudo-terminal carries 8 data bits without parity only, so the frames tried
// here vary in speed, stop bits and flow control.
TEST_F(TermiosPortTest, AppliesSettingsAndHandshaking) {
    struct Case {
        const char* settings;
        int handshaking;
        speed_t speed;
        bool twoStopBits;
        bool rtsCts;
        bool xonXoff;
    };
    const Case cases[] = {
        {"9600,N,8,1", 0, B9600, false, false, false},
        {"1200,N,8,1", 1, B1200, false, false, true},
        {"300,N,8,2", 2, B300, true, true, false},
        {"115200,N,8,2", 3, B115200, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        port.setSettings(c.settings);
        port.setHandshaking(c.handshaking);
        openPort();
        // On a pseudo-terminal the master reads the slave's line settings.
        termios line{};
        ASSERT_EQ(::tcgetattr(pty.master(), &line), 0);
        EXPECT_EQ(::cfgetospeed(&line), c.speed);
        EXPECT_EQ(::cfgetispeed(&line), c.speed);
        EXPECT_EQ(line.c_cflag & (CSIZE | PARENB), tcflag_t{CS8});
        EXPECT_EQ((line.c_cflag & CSTOPB) != 0, c.twoStopBits);
        EXPECT_EQ((line.c_cflag & CRTSCTS) != 0, c.rtsCts);
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF), c.xonXoff ? IXON | IXOFF : 0u);
        EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(line.c_oflag & OPOST, 0u);
        EXPECT_EQ(line.c_cc[VMIN], 0);
        EXPECT_EQ(line.c_cc[VTIME], 0);
        port.close();
    }
}

TEST_F(TermiosPortTest, RefusesAFrameTheLineDoesNotTake) {
    const int slave = ::open(pty.slave().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    termios probe{};
    ASSERT_EQ(::tcgetattr(slave, &probe), 0);
    probe.c_cflag = (probe.c_cflag & ~tcflag_t{CSIZE}) | CS7 | PARENB;
    ::tcsetattr(slave, TCSANOW, &probe);
    ASSERT_EQ(::tcgetattr(slave, &probe), 0);
    ::close(slave);
    if ((probe.c_cflag & (CSIZE | PARENB)) == (CS7 | PARENB)) {
        GTEST_SKIP() << "this kernel's pseudo-terminals keep 7 data bits with parity";
    }
    port.setSettings("1200,E,7,2");
    const std::optional<OpenFailure> failure = port.open();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->reason, OpenFailure::Reason::BadSettings);
    EXPECT_FALSE(port.portOpen());
}

TEST_F(TermiosPortTest, WaitForInputWakesWhenAByteArrives) {
    openPort();
    std::thread board([this] {
        std::this_thread::sleep_for(100ms);
        pty.send({0x06});
    });
    const auto start = steady_clock::now();
    EXPECT_EQ(port.waitForInput(5s), PortWait::Ready);
    EXPECT_LT(Since(start), 1s);
    board.join();
    EXPECT_EQ(port.input(), Bytes{0x06});
}

TEST_F(TermiosPortTest, WaitForInputSleepsThroughTheTimeout) {
    openPort();
    const milliseconds cpuBefore = ThreadCpuTime();
    const auto start = steady_clock::now();
    EXPECT_EQ(port.waitForInput(500ms), PortWait::TimedOut);
    const milliseconds waited = Since(start);
    EXPECT_GE(waited, 500ms);
    EXPECT_LT(waited, 1500ms);
    EXPECT_LT(ThreadCpuTime() - cpuBefore, 50ms);
}

TEST_F(TermiosPortTest, HangUpEndsTheWaitAndEveryLaterOne) {
    openPort();
    std::atomic<steady_clock::rep> hungUpAt{0};
    std::thread unplug([&] {
        std::this_thread::sleep_for(100ms);
        hungUpAt = steady_clock::now().time_since_epoch().count();
        pty.closeMaster();
    });
    EXPECT_EQ(port.waitForInput(5s), PortWait::Lost);
    const auto returnedAt = steady_clock::now();
    unplug.join();
    EXPECT_LT(returnedAt - steady_clock::time_point(steady_clock::duration(hungUpAt.load())),
              200ms);
    EXPECT_TRUE(port.lost());
    EXPECT_TRUE(port.portOpen());

    const auto start = steady_clock::now();
    EXPECT_EQ(port.waitForInput(1s), PortWait::Lost);
    EXPECT_EQ(port.waitForDrain(1s), PortWait::Lost);
    port.output(Bytes{0x06});
    EXPECT_EQ(port.inBufferCount(), 0);
    EXPECT_EQ(port.outBufferCount(), 0);
    EXPECT_TRUE(port.input().empty());
    EXPECT_LT(Since(start), 50ms);

    port.close();
    EXPECT_FALSE(port.portOpen());
    EXPECT_FALSE(port.lost());
}

TEST_F(TermiosPortTest, ClosedPortAnswersAtOnceAndClosesTwice) {
    openPort();
    port.close();
    port.close();
    EXPECT_FALSE(port.portOpen());
    const auto start = steady_clock::now();
    EXPECT_EQ(port.waitForInput(1s), PortWait::Lost);
    EXPECT_EQ(port.waitForDrain(1s), PortWait::Lost);
    EXPECT_LT(Since(start), 50ms);
    port.output(Bytes{0x06});
    EXPECT_EQ(port.inBufferCount(), 0);
    EXPECT_EQ(port.outBufferCount(), 0);
    EXPECT_TRUE(port.input().empty());
    EXPECT_FALSE(port.lost());
    EXPECT_TRUE(pty.receive(1, 50ms).empty());
}

TEST_F(TermiosPortTest, AsksTheMappingForTheCurrentPortAtEveryOpening) {
    std::vector<int> asked;
    TermiosPort mapped([&](int n) {
        asked.push_back(n);
        return n == 2 ? pty.slave() : "/dev/nonexistent-veloris";
    });
    mapped.setCommPort(2);
    EXPECT_EQ(mapped.deviceName(), pty.slave());
    EXPECT_FALSE(mapped.open().has_value());
    mapped.close();
    mapped.setCommPort(3);
    const std::optional<OpenFailure> failure = mapped.open();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->reason, OpenFailure::Reason::Absent);
    EXPECT_EQ(failure->device, "/dev/nonexistent-veloris");
    EXPECT_FALSE(failure->detail.empty());
    EXPECT_FALSE(mapped.portOpen());
    EXPECT_EQ(asked, (std::vector<int>{2, 2, 3}));
}

TEST_F(TermiosPortTest, RefusesBadSettingsBeforeTouchingTheDevice) {
    // The device does not exist: had it been tried, the failure would say Absent.
    TermiosPort absent([](int) { return std::string("/dev/nonexistent-veloris"); });
    const std::pair<const char*, int> refused[] = {
        {"9600,X,8,1", 0}, {"9600", 0}, {"9600,N,8,1.5", 0}, {"9600,N,8,1", 4}, {"9600,N,8,1", -1}};
    for (const auto& [settings, handshaking] : refused) {
        SCOPED_TRACE(settings);
        absent.setSettings(settings);
        absent.setHandshaking(handshaking);
        const std::optional<OpenFailure> failure = absent.open();
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->reason, OpenFailure::Reason::BadSettings);
        EXPECT_FALSE(absent.portOpen());
    }
}

TEST_F(TermiosPortTest, SecondHolderIsRefusedAsBusyUntilTheFirstCloses) {
    openPort();
    TermiosPort other([this](int) { return pty.slave(); });
    const std::optional<OpenFailure> failure = other.open();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->reason, OpenFailure::Reason::Busy);
    EXPECT_FALSE(other.portOpen());

    // The refused opening leaves the holder's line working.
    port.output(Bytes{0x42});
    EXPECT_EQ(pty.receive(1, 1s), Bytes{0x42});

    port.close();
    EXPECT_FALSE(other.open().has_value());
}

TEST_F(TermiosPortTest, UnprivilegedOpeningsMeetTheFileModeAndOurHold) {
    ASSERT_EQ(::chmod(pty.slave().c_str(), 0), 0);
    const std::string device = pty.slave();
    const std::optional<int> withoutRights = RunUnprivileged([&] { return OpenWithPort(device); });
    if (!withoutRights) {
        GTEST_SKIP() << "could not run a child without root's rights";
    }
    EXPECT_EQ(*withoutRights, static_cast<int>(OpenFailure::Reason::PermissionDenied));

    // Held by this process, the port is busy for ours. A pseudo-terminal is never made
    // exclusive, so a program that takes no lock still gets in. Once closed, the line is free.
    ASSERT_EQ(::chmod(device.c_str(), 0666), 0);
    openPort();
    EXPECT_EQ(RunUnprivileged([&] { return OpenPlainly(device); }), kOpened);
    EXPECT_EQ(RunUnprivileged([&] { return OpenWithPort(device); }),
              static_cast<int>(OpenFailure::Reason::Busy));
    port.close();
    EXPECT_EQ(RunUnprivileged([&] { return OpenWithPort(device); }), kOpened);
}

TEST_F(TermiosPortTest, ClosingPutsBackTheTerminalSettingsFoundAtOpening) {
    const int slave = ::open(pty.slave().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(slave, &before), 0);
    before.c_lflag |= ICANON | ECHO;
    ASSERT_EQ(::cfsetspeed(&before, B38400), 0);
    ASSERT_EQ(::tcsetattr(slave, TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(slave, &before), 0);

    openPort();
    termios raw{};
    ASSERT_EQ(::tcgetattr(slave, &raw), 0);
    EXPECT_EQ(::cfgetospeed(&raw), B9600);
    EXPECT_EQ(raw.c_lflag & ICANON, 0u);
    port.close();

    termios after{};
    ASSERT_EQ(::tcgetattr(slave, &after), 0);
    ::close(slave);
    EXPECT_EQ(::cfgetospeed(&after), B38400);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

} // namespace
} // namespace veloris
