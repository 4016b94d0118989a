#pragma once
// Hints added to the French open-failure messages: who holds a busy port, and what to do
// about the two system services that most often take a USB adapter away from its user.
//
// Each gives an empty text when it does not apply, so it can be added unconditionally:
//   "... déjà utilisé par un autre programme" + HolderText(failure) + "." ...
//   message + ModemManagerHint(failure, probes) + BrlttyHint(failure, probes)
// The hints that are paragraphs begin with a line break.

#include <functional>
#include <string>
#include <string_view>

#include "serial/serial_port.h"

namespace veloris {

// What the hints ask of the system, injected so that tests can answer.
struct HintProbes {
    std::function<bool(std::string_view processName)> processRunning;
    std::function<bool()> brlttyInstalled;
};

// The probes of this machine: /proc and the installed files.
HintProbes SystemHintProbes();

// " (minicom, pid 1234)", or " (pid 1234)" when the program's name is unknown.
std::string HolderText(const OpenFailure::Holder& holder);
// The same for a failure; empty when no holder is known.
std::string HolderText(const OpenFailure& failure);

// For a busy port held by ModemManager, or held by no one visible while ModemManager runs
// (it runs as root, so an ordinary user cannot see its open files): wait and try again,
// and the udev setting that keeps it away.
std::string ModemManagerHint(const OpenFailure& failure, const HintProbes& probes);

// For a USB adapter that is not there (ttyUSB, ttyACM) while brltty is installed: one
// sentence saying brltty may have taken it, how to check and how to stop it.
std::string BrlttyHint(const OpenFailure& failure, const HintProbes& probes);

} // namespace veloris
