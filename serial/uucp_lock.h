#pragma once
// UUCP lock files, the way serial terminal programs mark a port as taken: a file
// "LCK..ttyUSB0" in the lock directory holding the owner's PID as ten ASCII characters and
// a newline. flock and exclusive mode do not see these, so a port that such a program uses
// is found only by looking for its lock file.
//
// A lock whose PID is alive means busy. One whose PID is dead, or that holds no PID at all,
// is stale and is removed. Where the directory cannot be written, the port is used without
// a lock file of ours: the file is a courtesy to other programs, never a reason to fail.

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace veloris {

// /run/lock where it exists, else /var/lock.
std::filesystem::path DefaultLockDirectory();

// "LCK..ttyUSB0" for /dev/ttyUSB0; below /dev, slashes become underscores ("LCK..pts_3").
// `realDevice` is the device's own path, symlinks resolved.
std::string LockFileName(const std::string& realDevice);

// The PID a lock file names, or 0 when it holds none that could be a process (empty, not a
// number, zero, negative, beyond the PID range). Old programs wrote the PID as a binary
// int of four bytes; that is read too.
int LockFilePid(const std::filesystem::path& file);

// A lock file of ours, removed when released or destroyed.
class UucpLock {
  public:
    UucpLock() = default; // holds none
    ~UucpLock() { release(); }
    UucpLock(UucpLock&& other) noexcept;
    UucpLock& operator=(UucpLock&& other) noexcept;
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // Ours, or the live holder's PID (this process's own when another of its ports holds
    // the device). An empty `lockDir` takes no lock.
    static std::variant<UucpLock, int> Acquire(const std::filesystem::path& lockDir,
                                               const std::string& realDevice);

    bool held() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    // Removes the file, if it still names this process.
    void release();

  private:
    explicit UucpLock(std::filesystem::path path) : path_(std::move(path)) {}
    std::filesystem::path path_;
};

} // namespace veloris
