#pragma once
// The four simulated boards behind the demo's COM1 to COM4.

#include <array>
#include <memory>
#include <string>

#include "sim/pty_board.h"

namespace veloris {

class DemoBoards {
  public:
    DemoBoards();

    // The pseudo-terminal of the board behind COMn; an absent device for other numbers.
    std::string device(int commPort) const;
    // What stands behind COMn, for the option button's tooltip.
    std::string describe(int commPort) const;

  private:
    struct Demo {
        std::unique_ptr<PtyBoard> board;
        std::string description;
    };
    std::array<Demo, 4> demos_;
};

} // namespace veloris
