// veloris-cli read: the four slots, exit 0 only when every record came whole.

#include "cli/commands.h"
#include "cli/read_table.h"
#include "cli/texts.h"

namespace veloris::cli {

int RunRead(const Options&, const Console& console, BoardLine& line) {
    QJsonObject report = ReportHead(QStringLiteral("read"), line.port());
    const ReadResult result = line.read();
    if (!result.slots.empty()) {
        PrintReadTable(result, console);
    }
    report.insert(QStringLiteral("complete"), result.complete());
    report.insert(QStringLiteral("slots"), ReadJson(result));
    if (const auto problem = SessionProblem(result.session, line.port(), console, report)) {
        return Finish(report, *problem, console);
    }
    if (!result.complete()) {
        console.error(Cli::tr("The read is incomplete: not every record came whole."));
        return Finish(report, ExitCode::BoardFault, console);
    }
    return Finish(report, ExitCode::Done, console);
}

} // namespace veloris::cli
