#pragma once
// The command line: a subcommand, its file or values, and the common options.

#include <array>
#include <optional>
#include <variant>

#include <QString>
#include <QStringList>

#include "protocol/parameter_slots.h"

namespace veloris::cli {

enum class Command { Ports, Read, Write, Backup, Restore, Verify };

struct Options {
    Command command = Command::Read;
    QString port = QStringLiteral("COM1"); // COM1..COM4 or a device path
    bool json = false;
    bool verbose = false;
    bool quiet = false;
    // write: the value text given for each slot, in slot order; nothing for a slot not named.
    std::array<std::optional<QString>, kSlotCount> values{};
    bool noVerify = false;
    bool force = false;  // backup: replace an existing file
    bool dryRun = false; // restore: stop after showing the differences
    QString file;        // backup, restore, verify
};

// The run ends before any command: --help or --version printed, or the line refused.
struct EarlyExit {
    int status = 0;
    QString text; // for stdout (help, version) or stderr (refusal)
    bool error = false;
};

// Parses the arguments, program name first. Needs a QCoreApplication with its name and
// version set, and the translator installed, for the help text.
std::variant<Options, EarlyExit> ParseOptions(const QStringList& arguments);

} // namespace veloris::cli
