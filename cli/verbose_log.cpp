#include "cli/verbose_log.h"

namespace veloris::cli {

void VerboseLog::setText(std::string text) {
    endLine();
    put(text);
    if (text.starts_with("Open COM")) {
        put(" (" + device_ + ")");
    }
    text_ = std::move(text);
}

void VerboseLog::append(std::string_view entry) {
    put(entry);
    text_ += entry;
}

void VerboseLog::put(std::string_view text) {
    if (!echo_ || text.empty()) {
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    lineOpen_ = true;
}

void VerboseLog::endLine() {
    if (lineOpen_) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        lineOpen_ = false;
    }
}

} // namespace veloris::cli
