#pragma once
// What every fuzz target does when an invariant breaks: say which, with the text that broke
// it, and abort, so that libFuzzer keeps the input as a crash.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace veloris::fuzz {

inline void Require(bool holds, std::string_view invariant, std::string_view input = {}) {
    if (holds) {
        return;
    }
    std::fprintf(stderr, "invariant broken: %.*s\n", static_cast<int>(invariant.size()),
                 invariant.data());
    if (!input.empty()) {
        std::fprintf(stderr, "with: \"");
        for (const char c : input) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
                std::fputc(c, stderr);
            } else {
                std::fprintf(stderr, "\\x%02X", byte);
            }
        }
        std::fprintf(stderr, "\"\n");
    }
    std::abort();
}

} // namespace veloris::fuzz
