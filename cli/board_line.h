#pragma once
// The line to the board as the commands use it: the chosen device behind the termios port,
// the exchange log (on stderr with -v), the progress line, and how an operation's session
// ended, told in words and as an exit code.

#include <optional>
#include <string>
#include <vector>

#include <QJsonObject>
#include <QString>

#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "cli/verbose_log.h"
#include "operations/parameters.h"
#include "serial/termios_port.h"

namespace veloris::cli {

// The device -p names, and how to name it to the user.
struct PortChoice {
    QString shown;      // "COM1 (/dev/ttyUSB0)" or the path as given
    std::string device; // what is opened
    int commPort = 1;   // n for COMn, named in the exchange log's open line
};

class BoardLine {
  public:
    BoardLine(PortChoice port, const Options& options, const StopRequest* stop = nullptr);

    const PortChoice& port() const { return choice_; }
    // A signal asked the run to stop: start no further operation.
    bool stopRequested() const { return stop_ != nullptr && stop_->requested(); }

    // Each opens the port, runs, and closes it again.
    ReadResult read(const SlotSelection& which = AllSlots());
    WriteResult write(const WriteRequest& request);

  private:
    OperationLine line();

    PortChoice choice_;
    TermiosPort port_;
    VerboseLog log_;
    SystemClock clock_;
    ProgressLine progress_;
    const StopRequest* stop_;
};

// For a session that did not complete: says why on stderr, adds "error" to the report and
// gives the exit code. Nothing for a completed session.
std::optional<ExitCode> SessionProblem(const SessionOutcome& session, const PortChoice& port,
                                       const Console& console, QJsonObject& report);

} // namespace veloris::cli
