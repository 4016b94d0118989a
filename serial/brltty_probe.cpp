#include "serial/brltty_probe.h"

#include <system_error>

namespace veloris {

bool BrlttyInstalled(const std::vector<std::filesystem::path>& roots) {
    static const char* const kTraces[] = {
        "usr/bin/brltty",
        "bin/brltty",
        "usr/sbin/brltty",
        "usr/lib/udev/rules.d/85-brltty.rules",
        "lib/udev/rules.d/85-brltty.rules",
    };
    for (const std::filesystem::path& root : roots) {
        for (const char* trace : kTraces) {
            std::error_code error;
            if (std::filesystem::exists(root / trace, error)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace veloris
