#pragma once
// The termios side of the line settings: speed, frame and flow control in raw mode.

#include <optional>

#include <termios.h>

#include "serial/line_settings.h"

namespace veloris {

struct FlowControl {
    tcflag_t inputFlags = 0;
    tcflag_t controlFlags = 0;
};

// Handshaking 0 is none, 1 XON/XOFF, 2 RTS/CTS, 3 both; any other value gives nothing.
std::optional<FlowControl> FlowControlFor(int handshaking);

// Puts the line in raw mode with the settings. Gives 0 or the error; EINVAL when the line
// did not take them (checked by reading them back).
int ApplyLineSettings(int fd, const LineSettings& line, const FlowControl& flow);

} // namespace veloris
