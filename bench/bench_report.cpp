#include "bench/bench_report.h"

#include <cstdio>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "sim/board_behaviour.h"

namespace veloris::bench {

namespace {

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Padded(std::string text, std::size_t width, bool right) {
    if (text.size() >= width) {
        return text;
    }
    const std::string fill(width - text.size(), ' ');
    return right ? fill + text : text + fill;
}

// One line of the table: case, runs, min, median, max, limit, ratio, target, met.
struct Row {
    std::string label;
    std::string runs;
    std::string min;
    std::string median;
    std::string max;
    std::string limit = "-";
    std::string ratio = "-";
    std::string target = "-";
    std::string met = "-";
};

constexpr std::size_t kLabelWidth = 36;
constexpr std::size_t kNumberWidth = 10;
constexpr std::size_t kRatioWidth = 7;
constexpr std::size_t kTargetWidth = 11;

std::string Format(const Row& row) {
    return Padded(row.label, kLabelWidth, false) + Padded(row.runs, 5, true) +
           Padded(row.min, kNumberWidth, true) + Padded(row.median, kNumberWidth, true) +
           Padded(row.max, kNumberWidth, true) + Padded(row.limit, kNumberWidth, true) +
           Padded(row.ratio, kRatioWidth, true) + "  " + Padded(row.target, kTargetWidth, false) +
           row.met;
}

std::string YesNo(bool met) {
    return met ? "yes" : "NO";
}

Row SummaryRow(std::string label, int runs, const Summary& summary, int decimals,
               const std::string& unit) {
    return {std::move(label), std::to_string(runs), Fixed(summary.min, decimals) + unit,
            Fixed(summary.median, decimals) + unit, Fixed(summary.max, decimals) + unit};
}

double LimitMs(const PacedCase& paced) {
    return std::chrono::duration<double, std::milli>(paced.lineLimit).count();
}

std::string ByteLine(const std::string& title, const ByteCount& measured, const ByteCount& expected,
                     bool steady) {
    std::string line = "  " + title + ": " + std::to_string(measured.total()) + " (" +
                       std::to_string(measured.toBoard) + " to the board, " +
                       std::to_string(measured.fromBoard) + " from it)";
    if (measured == expected && steady) {
        line += ", as the protocol needs";
    } else {
        line += ", the protocol needs " + std::to_string(expected.total()) + " (" +
                std::to_string(expected.toBoard) + " + " + std::to_string(expected.fromBoard) +
                ")" + (steady ? "" : "; not the same in every run");
    }
    return line + "\n";
}

bool StartupMeasured(const BenchResults& results) {
    return results.startup && results.startup->skipped.empty() && results.startup->runs > 0;
}

QJsonObject SummaryJson(const Summary& value) {
    return {{"min", value.min}, {"median", value.median}, {"max", value.max}};
}

QJsonObject BytesJson(const ByteCount& measured, const ByteCount& expected, bool steady) {
    return {{"to_board", static_cast<qint64>(measured.toBoard)},
            {"from_board", static_cast<qint64>(measured.fromBoard)},
            {"total", static_cast<qint64>(measured.total())},
            {"expected", static_cast<qint64>(expected.total())},
            {"same_every_run", steady}};
}

QJsonArray TextsJson(const std::vector<std::string>& texts) {
    QJsonArray array;
    for (const std::string& text : texts) {
        array.append(QString::fromStdString(text));
    }
    return array;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

bool CliMeasured(const BenchResults& results) {
    return results.cli && results.cli->skipped.empty() && results.cli->runs > 0;
}

} // namespace

std::optional<double> RatioTarget(const PacedCase& paced) {
    if (paced.key == "read" || paced.key == "write") {
        return kLineRatioTarget;
    }
    return std::nullopt;
}

std::vector<std::string> Problems(const BenchResults& results) {
    std::vector<std::string> problems;
    for (const PacedCase& paced : results.paced) {
        for (const std::string& problem : paced.problems) {
            problems.push_back(paced.title + ": " + problem);
        }
        if (paced.measuredBytes != paced.expectedBytes || !paced.bytesSteady) {
            problems.push_back(paced.title + ": " + std::to_string(paced.measuredBytes.total()) +
                               " bytes on the line instead of " +
                               std::to_string(paced.expectedBytes.total()));
        }
    }
    if (results.silent) {
        for (const std::string& problem : results.silent->problems) {
            problems.push_back("read, no board: " + problem);
        }
        if (results.silent->measuredBytes != results.silent->expectedBytes) {
            problems.push_back(
                "read, no board: " + std::to_string(results.silent->measuredBytes.total()) +
                " bytes on the line instead of " +
                std::to_string(results.silent->expectedBytes.total()));
        }
    }
    if (results.startup) {
        for (const std::string& problem : results.startup->problems) {
            problems.push_back("start-up: " + problem);
        }
    }
    if (results.cli) {
        for (const std::string& problem : results.cli->problems) {
            problems.push_back("veloris-cli read: " + problem);
        }
        if (CliMeasured(results) && (results.cli->measuredBytes != results.cli->expectedBytes ||
                                     !results.cli->bytesSteady)) {
            problems.push_back(
                "veloris-cli read: " + std::to_string(results.cli->measuredBytes.total()) +
                " bytes on the line instead of " +
                std::to_string(results.cli->expectedBytes.total()));
        }
    }
    return problems;
}

std::string FormatTable(const BenchResults& results) {
    std::string table = "veloris-bench, " + results.when + ", " + results.machine + "\n";
    table += "Simulated board on a pseudo-terminal, one byte time (" +
             Fixed(std::chrono::duration<double, std::milli>(kLineByteTime).count(), 3) +
             " ms at 9600 baud) per byte each way.\n\n";
    table +=
        Format({"case", "runs", "min", "median", "max", "limit", "ratio", "target", "met"}) + "\n";
    for (const PacedCase& paced : results.paced) {
        Row row = SummaryRow(paced.title, paced.runs, paced.wallMs, 1, " ms");
        row.limit = Fixed(LimitMs(paced), 1) + " ms";
        row.ratio = Fixed(paced.ratio.median, 3);
        if (const auto target = RatioTarget(paced)) {
            row.target = "<= " + Fixed(*target, 2);
            row.met = YesNo(paced.ratio.median <= *target);
        }
        table += Format(row) + "\n";
    }
    if (results.silent) {
        const SilentCase& silent = *results.silent;
        table +=
            Format(SummaryRow("read, no board: wall", silent.runs, silent.wallSeconds, 2, " s")) +
            "\n";
        Row cpu = SummaryRow("read, no board: CPU/wall, process", silent.runs,
                             silent.processCpuPercent, 2, " %");
        cpu.target = "<= " + Fixed(kSilentCpuTargetPercent, 0) + " %";
        cpu.met = YesNo(silent.processCpuPercent.median <= kSilentCpuTargetPercent);
        table += Format(cpu) + "\n";
        table += Format(SummaryRow("read, no board: CPU/wall, op thread", silent.runs,
                                   silent.operationThreadCpuPercent, 2, " %")) +
                 "\n";
    }
    if (StartupMeasured(results)) {
        const StartupCase& startup = *results.startup;
        Row shown = SummaryRow("start-up to window shown", startup.runs, startup.shownMs, 1, " ms");
        shown.target = "< " + std::to_string(kStartupTarget.count()) + " ms";
        shown.met = YesNo(startup.shownMs.median < static_cast<double>(kStartupTarget.count()));
        table += Format(shown) + "\n";
        Row painted =
            SummaryRow("start-up to window painted", startup.runs, startup.paintedMs, 1, " ms");
        painted.target = shown.target;
        painted.met = YesNo(startup.paintedMs.median < static_cast<double>(kStartupTarget.count()));
        table += Format(painted) + "\n";
        Row memory = SummaryRow("peak resident memory", startup.runs, startup.peakRssMB, 1, " MB");
        memory.target = "< " + Fixed(kPeakRssTargetMB, 0) + " MB";
        memory.met = YesNo(startup.peakRssMB.median < kPeakRssTargetMB);
        table += Format(memory) + "\n";
    } else if (results.startup) {
        table += Format({"start-up", "0", "n/a", "n/a", "n/a"}) + "  (" + results.startup->skipped +
                 ")\n";
    }

    if (CliMeasured(results)) {
        const CliCase& cli = *results.cli;
        Row row = SummaryRow("veloris-cli read, process", cli.runs, cli.wallMs, 1, " ms");
        row.limit =
            Fixed(std::chrono::duration<double, std::milli>(cli.lineLimit).count(), 1) + " ms";
        row.target = "<= " + Fixed(cli.targetMs(), 1) + " ms";
        row.met = YesNo(cli.met());
        table += Format(row) + "\n";
        table += Format(SummaryRow("  /bin/true, process", cli.runs, cli.bareProcessMs, 1, " ms")) +
                 "\n";
    } else if (results.cli) {
        table += Format({"veloris-cli read, process", "0", "n/a", "n/a", "n/a"}) + "  (" +
                 results.cli->skipped + ")\n";
    }

    table += "\nBytes on the line per operation, counted in the board's trace:\n";
    for (const PacedCase& paced : results.paced) {
        table += ByteLine(paced.title, paced.measuredBytes, paced.expectedBytes, paced.bytesSteady);
    }
    if (CliMeasured(results)) {
        table += ByteLine("veloris-cli read", results.cli->measuredBytes,
                          results.cli->expectedBytes, results.cli->bytesSteady);
    }
    if (results.silent) {
        table += ByteLine("read, no board", results.silent->measuredBytes,
                          results.silent->expectedBytes, results.silent->bytesSteady);
    }
    table += "\nThe program's own work per operation (medians): opening and closing the port, and\n"
             "from each byte coming in to the answer going out; the rest of the wall time is\n"
             "the line, the pseudo-terminal's delivery and the simulated board's wake-ups:\n";
    for (const PacedCase& paced : results.paced) {
        table += "  " + paced.title + ": " + Fixed(paced.hostWorkMs.median, 3) + " ms, " +
                 Fixed(paced.turnaroundMicros.median, 1) + " us per byte answered\n";
    }
    table += "\nNotes: the ratio is the median wall time over the line-time limit; an operation\n"
             "returns once its last byte is queued, so that byte's own line time is not in the\n"
             "wall time. CPU/wall of the process includes the simulated board's thread.\n";
    if (CliMeasured(results)) {
        table += "veloris-cli read: the whole process, from its start to its exit status\n"
                 "collected (checked every 2 ms); its target is the line time plus " +
                 std::to_string(kCliOverheadTarget.count()) +
                 " ms.\n/bin/true, timed the same way, shows what starting any process costs "
                 "here.\n";
    }
    if (StartupMeasured(results)) {
        table += "Start-up: the real program on " + results.startup->display +
                 " (no window manager), from its start to its\n"
                 "window mapped, and to the window's first paint; peak resident memory from\n"
                 "start to close.\n";
    }
    const std::vector<std::string> problems = Problems(results);
    if (!problems.empty()) {
        table += "\nPROBLEMS:\n";
        for (const std::string& problem : problems) {
            table += "  " + problem + "\n";
        }
    }
    return table;
}

std::string FormatJson(const BenchResults& results) {
    QJsonObject cases;
    for (const PacedCase& paced : results.paced) {
        QJsonObject json{
            {"title", Text(paced.title)},
            {"runs", paced.runs},
            {"wall_ms", SummaryJson(paced.wallMs)},
            {"limit_ms", LimitMs(paced)},
            {"ratio", SummaryJson(paced.ratio)},
            {"target_ratio", QJsonValue()},
            {"host_work_ms", SummaryJson(paced.hostWorkMs)},
            {"turnaround_us", SummaryJson(paced.turnaroundMicros)},
            {"bytes", BytesJson(paced.measuredBytes, paced.expectedBytes, paced.bytesSteady)},
            {"problems", TextsJson(paced.problems)},
        };
        if (const auto target = RatioTarget(paced)) {
            json.insert("target_ratio", *target);
            json.insert("met", paced.ratio.median <= *target);
        }
        cases.insert(Text(paced.key), json);
    }
    if (results.silent) {
        const SilentCase& silent = *results.silent;
        cases.insert(
            "silent_read",
            QJsonObject{
                {"runs", silent.runs},
                {"wall_s", SummaryJson(silent.wallSeconds)},
                {"process_cpu_percent", SummaryJson(silent.processCpuPercent)},
                {"operation_thread_cpu_percent", SummaryJson(silent.operationThreadCpuPercent)},
                {"target_cpu_percent", kSilentCpuTargetPercent},
                {"met", silent.processCpuPercent.median <= kSilentCpuTargetPercent},
                {"timeouts", silent.timeouts},
                {"bytes",
                 BytesJson(silent.measuredBytes, silent.expectedBytes, silent.bytesSteady)},
                {"problems", TextsJson(silent.problems)},
            });
    }
    if (results.startup) {
        const StartupCase& startup = *results.startup;
        QJsonObject json{{"problems", TextsJson(startup.problems)}};
        if (StartupMeasured(results)) {
            const auto target = static_cast<double>(kStartupTarget.count());
            json.insert("display", Text(startup.display));
            json.insert("runs", startup.runs);
            json.insert("shown_ms", SummaryJson(startup.shownMs));
            json.insert("painted_ms", SummaryJson(startup.paintedMs));
            json.insert("peak_rss_mb", SummaryJson(startup.peakRssMB));
            json.insert("target_ms", target);
            json.insert("target_rss_mb", kPeakRssTargetMB);
            json.insert("met", startup.shownMs.median < target &&
                                   startup.paintedMs.median < target &&
                                   startup.peakRssMB.median < kPeakRssTargetMB);
        } else {
            json.insert("skipped", Text(startup.skipped));
        }
        cases.insert("startup", json);
    }
    if (results.cli) {
        const CliCase& cli = *results.cli;
        QJsonObject json{{"program", Text(cli.program)}, {"problems", TextsJson(cli.problems)}};
        if (CliMeasured(results)) {
            json.insert("runs", cli.runs);
            json.insert("wall_ms", SummaryJson(cli.wallMs));
            json.insert("bare_process_ms", SummaryJson(cli.bareProcessMs));
            json.insert("limit_ms",
                        std::chrono::duration<double, std::milli>(cli.lineLimit).count());
            json.insert("target_ms", cli.targetMs());
            json.insert("met", cli.met());
            json.insert("bytes", BytesJson(cli.measuredBytes, cli.expectedBytes, cli.bytesSteady));
        } else {
            json.insert("skipped", Text(cli.skipped));
        }
        cases.insert("cli_read", json);
    }
    const QJsonObject report{
        {"when", Text(results.when)},
        {"machine", Text(results.machine)},
        {"runs", results.runs},
        {"silent_runs", results.silentRuns},
        {"line_byte_time_ms", std::chrono::duration<double, std::milli>(kLineByteTime).count()},
        {"cases", cases},
    };
    return QJsonDocument(report).toJson(QJsonDocument::Indented).toStdString();
}

} // namespace veloris::bench
