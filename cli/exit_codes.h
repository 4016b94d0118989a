#pragma once
// What veloris-cli's exit status tells a script.

namespace veloris::cli {

enum class ExitCode : int {
    Done = 0,
    // The board did not confirm a write, a read-back differs, a read came back incomplete,
    // or a signal stopped the run before its end.
    BoardFault = 1,
    // The command line, a value or a backup file was refused; nothing was opened.
    Refused = 2,
    PortNotOpened = 3,
    LineLost = 4,
};

inline int ToStatus(ExitCode code) {
    return static_cast<int>(code);
}

} // namespace veloris::cli
