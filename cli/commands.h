#pragma once
// The subcommands. Each prints its report and gives the exit status.

#include "cli/board_line.h"
#include "cli/console.h"
#include "cli/options.h"

namespace veloris::cli {

int RunPorts(const Options& options, const Console& console);
int RunRead(const Options& options, const Console& console, BoardLine& line);
int RunWrite(const Options& options, const Console& console, BoardLine& line);
int RunBackup(const Options& options, const Console& console, BoardLine& line);
// restore and verify: the board against a backup file.
int RunRestore(const Options& options, const Console& console, BoardLine& line);
int RunVerify(const Options& options, const Console& console, BoardLine& line);

// The report every command starts from: the command and the port.
QJsonObject ReportHead(const QString& command, const PortChoice& port);
// Adds the exit code to the report, prints it with --json, and gives the status.
int Finish(QJsonObject& report, ExitCode code, const Console& console);

} // namespace veloris::cli
