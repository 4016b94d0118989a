#pragma once
// One line on stderr, rewritten in place while an operation runs: which slot of how many,
// and how long the board has been waited for. A silent board makes a read last some
// eight seconds; this shows the program is not stuck. Only drawn on a terminal.

#include <chrono>
#include <cstddef>
#include <vector>

#include <QString>

#include "operations/parameters.h"

namespace veloris::cli {

class ProgressLine final : public OperationProgress, public WaitObserver {
  public:
    // `enabled` false draws nothing at all.
    explicit ProgressLine(bool enabled);
    ~ProgressLine() override;
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Starts an operation over `slots`: the indexes into kSlots it handles, in order.
    void start(QString what, std::vector<std::size_t> slots);
    // Clears the line; the next start draws it again.
    void clear();

    void slotBegun(std::size_t slot) override;
    void whileWaiting() override;

  private:
    using Clock = std::chrono::steady_clock;
    void draw(bool force);

    bool enabled_;
    bool shown_ = false;
    QString what_;
    QString drawn_;
    std::vector<std::size_t> slots_;
    std::size_t current_ = 0; // 1-based place of the slot under way, 0 before the first
    Clock::time_point slotStart_{};
    Clock::time_point lastDraw_{};
};

// Whether stderr is a terminal, where a line can be rewritten in place.
bool StderrIsTerminal();

} // namespace veloris::cli
