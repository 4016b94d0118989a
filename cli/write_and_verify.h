#pragma once
// Writing slots and reading them back, as write and restore both do it.

#include <QJsonObject>

#include "cli/board_line.h"
#include "cli/console.h"
#include "cli/exit_codes.h"

namespace veloris::cli {

// Writes the requested slots, in slot order; then, with `verify`, reads the board and
// compares each written slot. Reports every written slot as confirmed and verified, not
// confirmed, or read back different, under "written" in the report, and reminds the user
// that the board takes new values only after a restart.
ExitCode WriteAndVerify(BoardLine& line, const WriteRequest& request, bool verify,
                        const Console& console, QJsonObject& report);

} // namespace veloris::cli
