// veloris-cli restore FILE and verify FILE: the board against a backup file. The file is
// checked in full before the port is opened; restore then writes only the slots that
// differ, and reads them back.

#include <QJsonArray>

#include "cli/backup_file.h"
#include "cli/commands.h"
#include "cli/slot_words.h"
#include "cli/texts.h"
#include "cli/write_and_verify.h"

namespace veloris::cli {

namespace {

constexpr int kRowWidth = 20;
constexpr int kKeyWidth = 10;
constexpr int kValueWidth = 9;

struct Comparison {
    WriteRequest differing; // the file's value for each slot the board holds otherwise
    int differences = 0;
    bool unreadable = false; // a slot's record did not come, so it cannot be compared
};

// Whether the board answered for the slot, so that writing it is safe: a misframed record
// is the board's own, to be put right; a missing one means the line is not to be trusted.
bool Answered(const SlotRead& slot) {
    return slot.fault == RecordFault::None || slot.fault == RecordFault::Misframed;
}

Comparison Compare(const ReadResult& read, const Backup& backup, const Console& console,
                   QJsonObject& report) {
    console.say(Column(Cli::tr("Parameter"), kRowWidth) + Column(Cli::tr("Key"), kKeyWidth) +
                Column(Cli::tr("Board"), kValueWidth) + Column(Cli::tr("File"), kValueWidth));
    Comparison comparison;
    QJsonArray rows;
    for (std::size_t i = 0; i < kSlotCount && i < read.slots.size(); ++i) {
        const SlotRead& slot = read.slots[i];
        const std::uint16_t wanted = backup.values[i];
        const bool same = slot.value == wanted;
        if (!same) {
            ++comparison.differences;
            if (Answered(slot)) {
                comparison.differing.values[i] = wanted;
            } else {
                comparison.unreadable = true;
            }
        }
        const QString board =
            slot.value ? QString::number(*slot.value) : u'(' + FaultText(slot.fault) + u')';
        console.say(Column(RowName(slot.key), kRowWidth) + Column(KeyName(slot.key), kKeyWidth) +
                    Column(board, kValueWidth) + Column(QString::number(wanted), kValueWidth) +
                    (same ? Cli::tr("same") : Cli::tr("differs")));
        rows.append(QJsonObject{
            {QStringLiteral("key"), KeyName(slot.key)},
            {QStringLiteral("board"), slot.value ? QJsonValue(*slot.value) : QJsonValue()},
            {QStringLiteral("board_fault"), FaultName(slot.fault)},
            {QStringLiteral("file"), wanted},
            {QStringLiteral("same"), same},
        });
    }
    report.insert(QStringLiteral("comparison"), rows);
    report.insert(QStringLiteral("differences"), comparison.differences);
    return comparison;
}

// Loads the file, reads the board and compares; an exit code when that is as far as it goes.
struct Compared {
    std::optional<ExitCode> end;
    Comparison comparison;
};

Compared LoadReadCompare(const Options& options, const Console& console, BoardLine& line,
                         QJsonObject& report) {
    report.insert(QStringLiteral("file"), options.file);
    const auto loaded = LoadBackup(options.file);
    if (const auto* refusal = std::get_if<QString>(&loaded)) {
        const QString text =
            Cli::tr("The file %1 is refused: %2 Nothing was opened.").arg(options.file, *refusal);
        console.error(text);
        report.insert(QStringLiteral("error"),
                      QJsonObject{{QStringLiteral("kind"), QStringLiteral("file-refused")},
                                  {QStringLiteral("message"), text}});
        return {ExitCode::Refused, {}};
    }
    const Backup& backup = std::get<Backup>(loaded);
    const ReadResult read = line.read();
    if (const auto problem = SessionProblem(read.session, line.port(), console, report)) {
        return {*problem, {}};
    }
    return {std::nullopt, Compare(read, backup, console, report)};
}

} // namespace

int RunVerify(const Options& options, const Console& console, BoardLine& line) {
    QJsonObject report = ReportHead(QStringLiteral("verify"), line.port());
    const Compared compared = LoadReadCompare(options, console, line, report);
    if (compared.end) {
        return Finish(report, *compared.end, console);
    }
    if (compared.comparison.differences > 0) {
        console.error(Cli::tr("The board does not hold the values of %1.").arg(options.file));
        return Finish(report, ExitCode::BoardFault, console);
    }
    console.say(Cli::tr("The board holds the values of %1.").arg(options.file));
    return Finish(report, ExitCode::Done, console);
}

int RunRestore(const Options& options, const Console& console, BoardLine& line) {
    QJsonObject report = ReportHead(QStringLiteral("restore"), line.port());
    const Compared compared = LoadReadCompare(options, console, line, report);
    if (compared.end) {
        return Finish(report, *compared.end, console);
    }
    const Comparison& comparison = compared.comparison;
    if (comparison.unreadable) {
        console.error(Cli::tr("Some records did not come from the board; nothing was written. "
                              "Check the line, then try again."));
        return Finish(report, ExitCode::BoardFault, console);
    }
    if (comparison.differences == 0) {
        console.say(Cli::tr("The board holds the values of %1 already; nothing to write.")
                        .arg(options.file));
        return Finish(report, ExitCode::Done, console);
    }
    if (options.dryRun) {
        console.say(Cli::tr("Dry run: nothing was written."));
        return Finish(report, ExitCode::Done, console);
    }
    if (line.stopRequested()) {
        console.error(Cli::tr("Stopped on request before writing: nothing was written."));
        return Finish(report, ExitCode::BoardFault, console);
    }
    return Finish(report,
                  WriteAndVerify(line, comparison.differing, !options.noVerify, console, report),
                  console);
}

} // namespace veloris::cli
