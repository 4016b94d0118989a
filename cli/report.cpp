#include "cli/commands.h"

namespace veloris::cli {

QJsonObject ReportHead(const QString& command, const PortChoice& port) {
    return {{QStringLiteral("command"), command},
            {QStringLiteral("port"), port.shown},
            {QStringLiteral("device"), QString::fromStdString(port.device)}};
}

int Finish(QJsonObject& report, ExitCode code, const Console& console) {
    report.insert(QStringLiteral("exit_code"), ToStatus(code));
    console.document(report);
    return ToStatus(code);
}

} // namespace veloris::cli
