#pragma once
// Port set-up: the port number chosen in the window, the fixed line settings, and
// OpenComm, which configures the port, starts the exchange log with the open line and
// opens the port.

#include <optional>
#include <string>
#include <string_view>

#include "serial/exchange_log.h"
#include "serial/serial_port.h"

namespace veloris {

inline constexpr std::string_view kLineSettings = "9600,N,8,1";
inline constexpr int kNoHandshaking = 0;
inline constexpr int kFirstPort = 1;

// "Open COM 1 9600,N,8,1": the port number with a leading blank, then the fixed settings text.
std::string OpenLine(int commPort);

// Sets Settings and Handshaking, replaces the log with the open line, then opens the port.
// On failure the port stays closed, the log gains a short entry saying why, and the
// failure is returned so the operation can stop before exchanging any byte.
[[nodiscard]] std::optional<OpenFailure> OpenComm(SerialPort& comm1, ExchangeLog& log);

// The short log entry for a failed opening, e.g. " Error: port busy".
std::string OpenFailureEntry(const OpenFailure& failure);

} // namespace veloris
