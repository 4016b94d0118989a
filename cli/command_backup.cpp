// veloris-cli backup FILE: the four slots saved, only when all four came whole; the file is
// replaced in one step, and only with --force when it exists.

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>

#include "cli/backup_file.h"
#include "cli/commands.h"
#include "cli/read_table.h"
#include "cli/texts.h"

namespace veloris::cli {

namespace {

int Refuse(const QString& text, const Console& console, QJsonObject& report) {
    console.error(text);
    report.insert(QStringLiteral("error"),
                  QJsonObject{{QStringLiteral("kind"), QStringLiteral("file-refused")},
                              {QStringLiteral("message"), text}});
    return Finish(report, ExitCode::Refused, console);
}

QString ExistsText(const QString& path) {
    return Cli::tr("%1 exists already; --force replaces it. Nothing was read.").arg(path);
}

} // namespace

int RunBackup(const Options& options, const Console& console, BoardLine& line) {
    QJsonObject report = ReportHead(QStringLiteral("backup"), line.port());
    report.insert(QStringLiteral("file"), options.file);
    // Checked before the board is read, so a refusal costs no exchange.
    if (!options.force && QFileInfo::exists(options.file)) {
        return Refuse(ExistsText(options.file), console, report);
    }
    QSaveFile file(options.file);
    if (!file.open(QIODevice::WriteOnly)) {
        return Refuse(Cli::tr("%1 cannot be written (%2). Nothing was read.")
                          .arg(options.file, file.errorString()),
                      console, report);
    }

    const ReadResult read = line.read();
    if (!read.slots.empty()) {
        PrintReadTable(read, console);
    }
    report.insert(QStringLiteral("slots"), ReadJson(read));
    if (const auto problem = SessionProblem(read.session, line.port(), console, report)) {
        return Finish(report, *problem, console);
    }
    if (!read.complete()) {
        console.error(Cli::tr("The read is incomplete: nothing was saved."));
        return Finish(report, ExitCode::BoardFault, console);
    }

    file.write(BackupDocument(read, QString::fromStdString(line.port().device),
                              QDateTime::currentDateTimeUtc()));
    // Another program may have made the file while the board was read.
    if (!options.force && QFileInfo::exists(options.file)) {
        file.cancelWriting();
        return Refuse(
            Cli::tr("%1 appeared while the board was read; --force replaces it. Nothing was "
                    "saved.")
                .arg(options.file),
            console, report);
    }
    if (!file.commit()) {
        return Refuse(Cli::tr("%1 could not be saved (%2).").arg(options.file, file.errorString()),
                      console, report);
    }
    console.say(Cli::tr("Saved in %1.").arg(options.file));
    report.insert(QStringLiteral("saved"), true);
    return Finish(report, ExitCode::Done, console);
}

} // namespace veloris::cli
