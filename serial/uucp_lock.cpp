#include "serial/uucp_lock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "serial/process_table.h"

namespace veloris {

namespace fs = std::filesystem;

namespace {

// A lock file is eleven bytes; anything much longer is not one.
constexpr std::size_t kReadLimit = 64;
// How often a stale lock is cleared and ours tried again before going on without one.
constexpr int kAttempts = 3;

// The lock files this process holds. A lock that names this process but is not among them
// was left by an earlier process that had the same PID (PIDs come round again, in a
// container after every start): it is stale, not ours.
std::vector<fs::path>& HeldHere() {
    static std::vector<fs::path> held;
    return held;
}

bool HeldByAnotherProcess(int pid, const fs::path& path) {
    if (pid == ::getpid()) {
        const std::vector<fs::path>& held = HeldHere();
        return std::find(held.begin(), held.end(), path) != held.end();
    }
    return ProcessAlive(pid);
}

std::string LockText(int pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", pid);
    return text;
}

bool WriteAll(int fd, const std::string& text) {
    return ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Places a complete lock file at `path` in one step: written under a name of its own first,
// then linked, so no reader ever sees it empty and takes it for stale. Gives 0 or errno;
// EEXIST when a lock is there already.
int PlaceLock(const fs::path& path) {
    static int serial = 0;
    const fs::path temporary = path.parent_path() / ("LTMP." + std::to_string(::getpid()) + "." +
                                                     std::to_string(++serial));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return errno;
    }
    const bool written = WriteAll(fd, LockText(::getpid()));
    ::close(fd);
    int result = written ? 0 : EIO;
    if (result == 0 && ::link(temporary.c_str(), path.c_str()) != 0) {
        result = errno;
    }
    ::unlink(temporary.c_str());
    return result;
}

int ParsePid(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\0')) {
        text.remove_suffix(1);
    }
    long long pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (error != std::errc{} || end != text.data() + text.size() || pid <= 0 || pid > INT_MAX) {
        return 0;
    }
    return static_cast<int>(pid);
}

} // namespace

fs::path DefaultLockDirectory() {
    std::error_code error;
    return fs::is_directory("/run/lock", error) ? fs::path("/run/lock") : fs::path("/var/lock");
}

std::string LockFileName(const std::string& realDevice) {
    constexpr std::string_view kDev = "/dev/";
    std::string name = realDevice.starts_with(kDev) ? realDevice.substr(kDev.size())
                                                    : fs::path(realDevice).filename().string();
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    return "LCK.." + name;
}

int LockFilePid(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return 0;
    }
    std::array<char, kReadLimit> bytes{};
    const ssize_t count = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    if (count <= 0) {
        return 0;
    }
    const std::string_view text(bytes.data(), static_cast<std::size_t>(count));
    if (const int pid = ParsePid(text); pid > 0) {
        return pid;
    }
    if (count == sizeof(int)) {
        int binary = 0;
        std::memcpy(&binary, bytes.data(), sizeof binary);
        return binary > 0 ? binary : 0;
    }
    return 0;
}

UucpLock::UucpLock(UucpLock&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

UucpLock& UucpLock::operator=(UucpLock&& other) noexcept {
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

std::variant<UucpLock, int> UucpLock::Acquire(const fs::path& lockDir,
                                              const std::string& realDevice) {
    if (lockDir.empty()) {
        return UucpLock{};
    }
    const fs::path path = lockDir / LockFileName(realDevice);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int error = PlaceLock(path);
        if (error == 0) {
            HeldHere().push_back(path);
            return UucpLock(path);
        }
        if (error != EEXIST) {
            return UucpLock{}; // no writable lock directory here
        }
        const int pid = LockFilePid(path);
        if (HeldByAnotherProcess(pid, path)) {
            return pid;
        }
        // Stale. In a sticky directory another user's stale lock cannot be removed; the
        // port is then used without a lock of ours rather than refused.
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            return UucpLock{};
        }
    }
    return UucpLock{};
}

void UucpLock::release() {
    if (path_.empty()) {
        return;
    }
    // A lock that another program has since taken over is its own.
    if (LockFilePid(path_) == ::getpid()) {
        ::unlink(path_.c_str());
    }
    std::erase(HeldHere(), path_);
    path_.clear();
}

} // namespace veloris
