// Signals that ask the program to stop: taken through the self-pipe, never acted on inside
// the handler, and leading a front end to close the port, which removes its lock file.

#include <filesystem>

#include <poll.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "operations/stop_on_signal.h"
#include "support/pty_pair.h"

namespace veloris {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

bool Readable(int fd) {
    pollfd watched{fd, POLLIN, 0};
    return ::poll(&watched, 1, 0) == 1 && (watched.revents & POLLIN) != 0;
}

TEST(StopOnSignal, EachSignalRequestsAStopAndWakesTheWatcher) {
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        struct sigaction before {};
        ASSERT_EQ(::sigaction(number, &ignore, &before), 0);
        {
            StopOnSignal stop;
            EXPECT_FALSE(stop.requested());
            EXPECT_FALSE(Readable(stop.notifierFd()));
            ASSERT_EQ(::kill(::getpid(), number), 0);
            EXPECT_TRUE(stop.requested());
            EXPECT_EQ(stop.signal(), number);
            EXPECT_TRUE(Readable(stop.notifierFd()));
            stop.drain();
            EXPECT_FALSE(Readable(stop.notifierFd()));
            EXPECT_TRUE(stop.requested()); // a request stays
            EXPECT_THROW(StopOnSignal{}, std::logic_error);
        }
        // The handler found is given back.
        struct sigaction after {};
        ASSERT_EQ(::sigaction(number, &before, &after), 0);
        EXPECT_EQ(after.sa_handler, SIG_IGN);
    }
}

// A front end in a child process: it holds the port open and, when a signal comes, closes
// it and ends, as the window and the command line do.
TEST(StopOnSignal, AFrontEndClosesThePortAndItsLockFileGoes) {
    for (const int number : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(number);
        PtyPair pty;
        ASSERT_TRUE(pty.ready());
        const fs::path lockDir =
            fs::temp_directory_path() / ("veloris-stop-" + std::to_string(::getpid()));
        fs::create_directories(lockDir);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            PortSystem system;
            system.lockDir = lockDir;
            TermiosPort port([&](int) { return pty.slave(); }, system);
            StopOnSignal stop;
            if (port.open()) {
                ::_exit(2);
            }
            const char ok = 1;
            [[maybe_unused]] const ssize_t told = ::write(ready[1], &ok, 1);
            pollfd watched{stop.notifierFd(), POLLIN, 0};
            while (!stop.requested() && ::poll(&watched, 1, 10'000) != 0) {
            }
            port.close();
            ::_exit(stop.requested() ? 0 : 1);
        }
        ::close(ready[1]);
        char ok = 0;
        ASSERT_EQ(::read(ready[0], &ok, 1), 1);
        ::close(ready[0]);
        const fs::path lockFile = lockDir / LockFileName(fs::canonical(pty.slave()).string());
        EXPECT_TRUE(fs::exists(lockFile));

        ASSERT_EQ(::kill(child, number), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_FALSE(fs::exists(lockFile));
        fs::remove_all(lockDir);
    }
}

} // namespace
} // namespace veloris
