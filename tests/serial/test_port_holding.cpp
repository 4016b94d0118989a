// How an open port is held, and how a port held by someone else is found: UUCP lock files,
// flock, the holder's name, and what a killed holder leaves behind.

#include <filesystem>
#include <fstream>

#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "serial/uucp_lock.h"
#include "support/pty_pair.h"

namespace veloris {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// A child process that runs `hold` under the name `name`, tells the parent it is ready,
// and waits until it is killed.
class HoldingChild {
  public:
    HoldingChild(const char* name, const std::function<bool()>& hold) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::prctl(PR_SET_NAME, name);
            const char ok = hold() ? 1 : 0;
            [[maybe_unused]] const ssize_t told = ::write(ready[1], &ok, 1);
            for (;;) {
                ::pause();
            }
        }
        ::close(ready[1]);
        char ok = 0;
        ready_ = pid_ > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 1;
        ::close(ready[0]);
    }
    ~HoldingChild() { kill(SIGKILL); }
    HoldingChild(const HoldingChild&) = delete;
    HoldingChild& operator=(const HoldingChild&) = delete;

    bool ready() const { return ready_; }
    pid_t pid() const { return pid_; }
    void kill(int signal) {
        if (pid_ > 0) {
            ::kill(pid_, signal);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

  private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

// A lock directory like /run/lock: anyone may write, only the owner may remove.
class LockDir {
  public:
    LockDir() {
        path_ = fs::temp_directory_path() / ("veloris-lock-" + std::to_string(::getpid()));
        fs::create_directories(path_);
        ::chmod(path_.c_str(), 01777);
    }
    ~LockDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }
    fs::path fileFor(const std::string& device) const {
        return path_ / LockFileName(fs::canonical(device).string());
    }

  private:
    fs::path path_;
};

std::string Contents(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PortHoldingTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(pty.ready()); }

    static PortSystem WithLocksIn(const fs::path& lockDir) {
        PortSystem system;
        system.lockDir = lockDir;
        return system;
    }

    PtyPair pty;
    LockDir locks;
    PortSystem system = WithLocksIn(locks.path());
    TermiosPort port{[this](int) { return pty.slave(); }, system};
};

TEST(LockFileName, IsTheDeviceNameBelowDev) {
    EXPECT_EQ(LockFileName("/dev/ttyUSB0"), "LCK..ttyUSB0");
    EXPECT_EQ(LockFileName("/dev/pts/3"), "LCK..pts_3");
    EXPECT_EQ(LockFileName("/tmp/x/ttyV0"), "LCK..ttyV0");
}

TEST_F(PortHoldingTest, OurLockFileStandsWhileOpenAndGoesAtClose) {
    std::optional<TermiosPort> held;
    held.emplace([this](int) { return pty.slave(); }, system);
    ASSERT_FALSE(held->open().has_value());
    const fs::path file = locks.fileFor(pty.slave());
    EXPECT_EQ(held->lockFile(), file);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%10d\n", ::getpid());
    EXPECT_EQ(Contents(file), expected);
    held->close();
    EXPECT_FALSE(fs::exists(file));

    // Reached through a symlink, as /dev/serial/by-id names are, the lock has the real name.
    const fs::path byId = locks.path() / "usb-FTDI_FT232R_USB_UART_A1-if00-port0";
    fs::create_symlink(pty.slave(), byId);
    TermiosPort viaLink([&](int) { return byId.string(); }, system);
    ASSERT_FALSE(viaLink.open().has_value());
    EXPECT_EQ(viaLink.lockFile(), file);
    const std::optional<OpenFailure> refused = held->open();
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->reason, OpenFailure::Reason::Busy);
    viaLink.close();

    // Destroyed while open, as when the program ends.
    ASSERT_FALSE(held->open().has_value());
    EXPECT_TRUE(fs::exists(file));
    held.reset();
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(PortHoldingTest, ALiveHoldersLockMakesThePortBusyAndNamesIt) {
    HoldingChild minicom("minicom", [] { return true; });
    ASSERT_TRUE(minicom.ready());
    const fs::path file = locks.fileFor(pty.slave());
    std::ofstream(file) << "     " << minicom.pid() << "\n";

    const std::optional<OpenFailure> failure = port.open();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->reason, OpenFailure::Reason::Busy);
    ASSERT_TRUE(failure->holder.has_value());
    EXPECT_EQ(failure->holder->program, "minicom");
    EXPECT_EQ(failure->holder->pid, minicom.pid());
    EXPECT_TRUE(pty.receive(1, 50ms).empty());

    // Once the holder is gone its lock is stale: removed, and the port opens.
    minicom.kill(SIGKILL);
    EXPECT_FALSE(port.open().has_value());
    EXPECT_EQ(LockFilePid(file), ::getpid());
}

TEST_F(PortHoldingTest, ALockWithoutALivePidIsStale) {
    const fs::path file = locks.fileFor(pty.slave());
    // This process's own PID, left by an earlier process that had it, is stale too.
    const std::string self = std::to_string(::getpid()) + "\n";
    const std::string stale[] = {self,
                                 "",
                                 "garbage\n",
                                 "-5\n",
                                 "0\n",
                                 "2147483647\n",
                                 "99999999999999999999999\n",
                                 "12 34\n",
                                 std::string(4096, '7')};
    for (const std::string& text : stale) {
        SCOPED_TRACE(text.substr(0, 30));
        std::ofstream(file) << text;
        ASSERT_FALSE(port.open().has_value());
        EXPECT_EQ(LockFilePid(file), ::getpid());
        port.close();
        EXPECT_FALSE(fs::exists(file));
    }
    // The old binary form: a four-byte int.
    const int binary = 31337;
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(&binary), sizeof binary);
    EXPECT_EQ(LockFilePid(file), binary);
}

TEST_F(PortHoldingTest, AProcessHoldingTheLineOpenIsNamed) {
    // Locks nothing but the device itself, as a program using flock does.
    const std::string device = pty.slave();
    HoldingChild holder("holder", [&] {
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    });
    ASSERT_TRUE(holder.ready());
    const std::optional<OpenFailure> failure = port.open();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->reason, OpenFailure::Reason::Busy);
    ASSERT_TRUE(failure->holder.has_value());
    EXPECT_EQ(failure->holder->program, "holder");
    EXPECT_EQ(failure->holder->pid, holder.pid());
    // The refused opening took no lock file of its own.
    EXPECT_FALSE(fs::exists(locks.fileFor(pty.slave())));
}

TEST_F(PortHoldingTest, AKilledHolderLeavesNoOneLockedOut) {
    const std::string device = pty.slave();
    ASSERT_EQ(::chmod(device.c_str(), 0666), 0);
    HoldingChild killed("veloris", [&] {
        static TermiosPort held([device](int) { return device; }, PortSystem{system});
        return !held.open().has_value();
    });
    ASSERT_TRUE(killed.ready());
    killed.kill(SIGKILL);
    // Its lock file stays behind, naming a dead process.
    ASSERT_TRUE(fs::exists(locks.fileFor(device)));

    const auto start = steady_clock::now();
    const std::optional<int> ours = RunUnprivileged([&] { return OpenWithPort(device, system); });
    if (!ours) {
        GTEST_SKIP() << "could not run a child without root's rights";
    }
    EXPECT_EQ(*ours, kOpened);
    EXPECT_EQ(RunUnprivileged([&] { return OpenPlainly(device); }), kOpened);
    EXPECT_LT(steady_clock::now() - start, 2s);
}

} // namespace
} // namespace veloris
