#pragma once
// The device -p names: COM1 to COM4 as the window maps them to the ports present now, or a
// device path as given (a /dev/serial/by-id name included).

#include <QString>

#include "cli/board_line.h"

namespace veloris::cli {

PortChoice ChoosePort(const QString& option);

} // namespace veloris::cli
