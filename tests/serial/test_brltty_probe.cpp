#include "serial/brltty_probe.h"

#include <fstream>

#include <unistd.h>

#include <gtest/gtest.h>

namespace veloris {
namespace {

namespace fs = std::filesystem;

TEST(BrlttyInstalled, FoundByItsProgramOrItsUdevRules) {
    const fs::path root =
        fs::temp_directory_path() / ("veloris-brltty-" + std::to_string(::getpid()));
    fs::create_directories(root / "usr/lib/udev/rules.d");
    EXPECT_FALSE(BrlttyInstalled({root}));
    std::ofstream(root / "usr/lib/udev/rules.d/85-brltty.rules") << "# rules\n";
    EXPECT_TRUE(BrlttyInstalled({root}));
    fs::remove_all(root);
}

} // namespace
} // namespace veloris
