#include "serial/system_console.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include <sys/sysmacros.h>

namespace veloris {

namespace {

// /dev/console: opening it reaches whichever line the kernel writes its console to.
constexpr unsigned kConsoleMajor = 5;
constexpr unsigned kConsoleMinor = 1;

// "4:64" as the kernel writes device numbers in /proc and /sys.
std::optional<dev_t> ParseDeviceNumber(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    unsigned major = 0;
    unsigned minor = 0;
    const char* majorEnd = text.data() + colon;
    const char* minorEnd = text.data() + text.size();
    const auto [m1, e1] = std::from_chars(text.data(), majorEnd, major);
    const auto [m2, e2] = std::from_chars(majorEnd + 1, minorEnd, minor);
    if (e1 != std::errc{} || m1 != majorEnd || e2 != std::errc{} || m2 != minorEnd) {
        return std::nullopt;
    }
    return ::makedev(major, minor);
}

// "ttyS0                -W- (EC  p a)    4:64": the number is the last field.
void AddFromProcConsoles(const std::filesystem::path& path, std::vector<dev_t>& found) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t last = line.find_last_of(" \t");
        const std::string_view field = std::string_view(line).substr(last + 1);
        if (const auto number = ParseDeviceNumber(field)) {
            found.push_back(*number);
        }
    }
}

// "tty0 ttyS0": names of the active consoles, each with its number in sysfs.
void AddFromActiveConsoles(const std::filesystem::path& ttyClassDir, std::vector<dev_t>& found) {
    std::ifstream active(ttyClassDir / "console" / "active");
    std::string name;
    while (active >> name) {
        if (name.find('/') != std::string::npos || name == "." || name == "..") {
            continue;
        }
        std::ifstream devFile(ttyClassDir / name / "dev");
        std::string number;
        if (devFile >> number) {
            if (const auto parsed = ParseDeviceNumber(number)) {
                found.push_back(*parsed);
            }
        }
    }
}

} // namespace

std::vector<dev_t> SystemConsoleDevices(const ConsoleSources& sources) {
    std::vector<dev_t> found{::makedev(kConsoleMajor, kConsoleMinor)};
    AddFromProcConsoles(sources.procConsoles, found);
    AddFromActiveConsoles(sources.ttyClassDir, found);
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

bool IsSystemConsole(dev_t device, const std::vector<dev_t>& consoles) {
    return std::find(consoles.begin(), consoles.end(), device) != consoles.end();
}

} // namespace veloris
