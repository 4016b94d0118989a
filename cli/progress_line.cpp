#include "cli/progress_line.h"

#include <algorithm>
#include <cstdio>

#include <unistd.h>

#include "cli/texts.h"

namespace veloris::cli {

namespace {

using std::chrono::milliseconds;

// Redrawn no more often than this; a wait calls in every 50 ms.
constexpr milliseconds kRedrawInterval{200};
// Waits shorter than this are the board's normal pace, not worth a figure.
constexpr milliseconds kShowWaitAfter{500};

void Put(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

// Back to the line's start, erasing it: carriage return, then "erase to end of line".
const QString kEraseLine = QStringLiteral("\r\x1b[K");

} // namespace

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

ProgressLine::ProgressLine(bool enabled) : enabled_(enabled) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::start(QString what, std::vector<std::size_t> slots) {
    what_ = std::move(what);
    slots_ = std::move(slots);
    current_ = 0;
}

void ProgressLine::clear() {
    if (shown_) {
        Put(kEraseLine);
        shown_ = false;
    }
}

void ProgressLine::slotBegun(std::size_t slot) {
    const auto found = std::find(slots_.begin(), slots_.end(), slot);
    current_ =
        found == slots_.end() ? current_ + 1 : static_cast<std::size_t>(found - slots_.begin()) + 1;
    slotStart_ = Clock::now();
    draw(true);
}

void ProgressLine::whileWaiting() {
    draw(false);
}

void ProgressLine::draw(bool force) {
    if (!enabled_ || current_ == 0) {
        return;
    }
    const auto now = Clock::now();
    if (!force && now - lastDraw_ < kRedrawInterval) {
        return;
    }
    lastDraw_ = now;
    QString text = Cli::tr("%1: slot %2 of %3")
                       .arg(what_)
                       .arg(current_)
                       .arg(std::max(slots_.size(), current_));
    const auto waited = now - slotStart_;
    if (waited >= kShowWaitAfter) {
        const double seconds = std::chrono::duration<double>(waited).count();
        text += Cli::tr(", %1 s waited").arg(seconds, 0, 'f', 1);
    }
    if (shown_ && text == drawn_) {
        return;
    }
    Put(kEraseLine + text);
    drawn_ = text;
    shown_ = true;
}

} // namespace veloris::cli
