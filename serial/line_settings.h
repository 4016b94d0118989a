#pragma once
// The line settings text of the serial-port control, "9600,N,8,1": speed, parity, data bits
// and stop bits, parsed into values a port backend can apply.

#include <optional>
#include <string_view>

#include <termios.h>

namespace veloris {

enum class Parity { None, Even, Odd, Mark, Space };

struct LineSettings {
    int baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8; // 5 to 8
    int stopBits = 1; // 1 or 2; one and a half stop bits cannot be set on a termios line
};

// Reads "speed,parity,data,stop", e.g. "9600,N,8,1" or "1200,e,7,2". The parity letter may
// be of either case; no blanks are allowed. A text that does not fit, or a speed the
// termios line cannot be set to, gives nothing.
std::optional<LineSettings> ParseLineSettings(std::string_view text);

// The termios speed constant for a speed in baud, e.g. B9600 for 9600.
std::optional<speed_t> TermiosSpeed(int baud);

} // namespace veloris
