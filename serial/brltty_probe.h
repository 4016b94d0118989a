#pragma once
// brltty, the braille display daemon, is installed on many desktops by default. Its udev
// rules claim USB serial chips that some braille displays use (CH340, CP210x), so a
// telescope's adapter can vanish right after it is plugged in.

#include <filesystem>
#include <vector>

namespace veloris {

// Whether brltty is installed: its program or its udev rules are found under one of `roots`.
bool BrlttyInstalled(const std::vector<std::filesystem::path>& roots = {"/"});

} // namespace veloris
