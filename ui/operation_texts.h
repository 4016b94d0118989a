#pragma once
// The window's words for what the operations report: the French texts of its messages, its
// question and the program-load log.

#include <string>
#include <string_view>
#include <vector>

#include "operations/operations.h"
#include "serial/port_mapping.h"
#include "serial/serial_port.h"
#include "ui/open_failure_hints.h"

namespace veloris {

inline constexpr std::string_view kLoadWarning =
    "Attention, cette action remplace le programme de votre contrôle télescope";
inline constexpr std::string_view kLoadPathPrompt = "Chemin et nom du fichier à charger";
inline constexpr std::string_view kLoadPathTitle = "EEPROM";
inline constexpr std::string_view kLoadPathDefault = "C:\\.S19";
inline constexpr std::string_view kTelescopeStoppedQuestion = "télescope arrêté?";

// The complaint for a wrong or missing answer of the debug monitor.
std::string_view MonitorComplaint(MonitorCheck::Step step);

// Why COMn could not be opened, and what to do about it: who holds a busy port, and the
// services that may have taken a USB adapter, where the probes can tell.
std::string OpenFailureMessage(int commPort, const OpenFailure& failure,
                               const HintProbes& probes = {});

// The line to the board went away during an operation; during a write the board may be
// left waiting inside it.
std::string LineLostMessage(int commPort, const std::string& device, bool duringWrite = false);

// The value texts a write refused, each named by its row.
std::string RefusedValuesMessage(const std::vector<RefusedValue>& refused);

// The slots whose record the board did not echo back whole, named by their rows. Unless the
// loss of the line says it already, it tells that the board may be left inside the write.
std::string UnconfirmedMessage(const std::vector<SlotKey>& unconfirmed, bool lineLost = false);

// The board's bytes as the program-load log shows them: one character per byte, 0 to 255
// as the characters with those codes, in UTF-8.
std::string BytesAsText(const Bytes& bytes);

// The short text telling which device COMn uses, e.g. "/dev/ttyUSB0 — FT232R USB UART", or
// "/dev/ttyS2 (aucun port détecté)" when no port was found for it.
std::string DescribeComm(int n, const std::vector<PresentPort>& ordered);

} // namespace veloris
