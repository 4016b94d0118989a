#include "serial/process_table.h"

#include <cerrno>
#include <charconv>
#include <fstream>
#include <system_error>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veloris {

namespace fs = std::filesystem;

namespace {

// The number of a /proc entry that is a process, or -1.
int PidOf(const fs::path& entry) {
    const std::string name = entry.filename().string();
    int pid = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc{} && end == name.data() + name.size() && pid > 0 ? pid : -1;
}

// The descriptors of `pid` open on `device`, except `skipFd`.
bool HoldsDevice(const fs::path& processDir, dev_t device, int skipFd) {
    std::error_code error;
    for (const fs::directory_entry& fd : fs::directory_iterator(processDir / "fd", error)) {
        if (skipFd >= 0 && fd.path().filename() == std::to_string(skipFd)) {
            continue;
        }
        struct stat status {};
        if (::stat(fd.path().c_str(), &status) == 0 && S_ISCHR(status.st_mode) &&
            status.st_rdev == device) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string ProcessName(int pid, const fs::path& proc) {
    std::ifstream comm(proc / std::to_string(pid) / "comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

bool ProcessRunning(std::string_view name, const fs::path& proc) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(proc, error)) {
        if (PidOf(entry.path()) > 0 && ProcessName(PidOf(entry.path()), proc) == name) {
            return true;
        }
    }
    return false;
}

bool ProcessAlive(int pid) {
    // Signal 0 only asks; EPERM means it exists but belongs to someone else.
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

std::optional<OpenFailure::Holder> FindDeviceHolder(dev_t device, int ownFd, const fs::path& proc) {
    const int self = ::getpid();
    bool selfHolds = false;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(proc, error)) {
        const int pid = PidOf(entry.path());
        if (pid < 0) {
            continue;
        }
        if (pid == self) {
            selfHolds = HoldsDevice(entry.path(), device, ownFd);
            continue;
        }
        if (HoldsDevice(entry.path(), device, -1)) {
            return OpenFailure::Holder{ProcessName(pid, proc), pid};
        }
    }
    if (selfHolds) {
        return OpenFailure::Holder{ProcessName(self, proc), self};
    }
    return std::nullopt;
}

} // namespace veloris
