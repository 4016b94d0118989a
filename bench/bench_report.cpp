#include "bench/bench_report.h"

#include <cstdio>
#include <sstream>

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

// A writer for the few shapes the JSON report needs; keeps track of the commas.
class Json {
  public:
    void open(const std::string& key = {}) {
        name(key);
        out_ << '{';
        first_ = true;
    }
    void close() {
        out_ << '}';
        first_ = false;
    }
    void number(const std::string& key, double value) {
        name(key);
        out_ << Fixed(value, 4);
    }
    void integer(const std::string& key, long long value) {
        name(key);
        out_ << value;
    }
    void boolean(const std::string& key, bool value) {
        name(key);
        out_ << (value ? "true" : "false");
    }
    void null(const std::string& key) {
        name(key);
        out_ << "null";
    }
    void text(const std::string& key, const std::string& value) {
        name(key);
        quoted(value);
    }
    void texts(const std::string& key, const std::vector<std::string>& values) {
        name(key);
        out_ << '[';
        for (std::size_t i = 0; i < values.size(); ++i) {
            out_ << (i == 0 ? "" : ", ");
            quoted(values[i]);
        }
        out_ << ']';
    }
    void summary(const std::string& key, const Summary& value) {
        open(key);
        number("min", value.min);
        number("median", value.median);
        number("max", value.max);
        close();
    }
    void bytes(const ByteCount& measured, const ByteCount& expected, bool steady) {
        open("bytes");
        integer("to_board", static_cast<long long>(measured.toBoard));
        integer("from_board", static_cast<long long>(measured.fromBoard));
        integer("total", static_cast<long long>(measured.total()));
        integer("expected", static_cast<long long>(expected.total()));
        boolean("same_every_run", steady);
        close();
    }
    std::string result() const { return out_.str() + "\n"; }

  private:
    void name(const std::string& key) {
        if (!first_) {
            out_ << ", ";
        }
        first_ = false;
        if (!key.empty()) {
            quoted(key);
            out_ << ": ";
        }
    }
    void quoted(const std::string& value) {
        out_ << '"';
        for (const char c : value) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out_ << '\\' << c;
            } else if (c == '\n') {
                out_ << "\\n";
            } else if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out_ << escaped;
            } else {
                out_ << c;
            }
        }
        out_ << '"';
    }

    std::ostringstream out_;
    bool first_ = true;
};

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

    table += "\nBytes on the line per operation, counted in the board's trace:\n";
    for (const PacedCase& paced : results.paced) {
        table += ByteLine(paced.title, paced.measuredBytes, paced.expectedBytes, paced.bytesSteady);
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
    Json json;
    json.open();
    json.text("when", results.when);
    json.text("machine", results.machine);
    json.integer("runs", results.runs);
    json.integer("silent_runs", results.silentRuns);
    json.number("line_byte_time_ms",
                std::chrono::duration<double, std::milli>(kLineByteTime).count());
    json.open("cases");
    for (const PacedCase& paced : results.paced) {
        json.open(paced.key);
        json.text("title", paced.title);
        json.integer("runs", paced.runs);
        json.summary("wall_ms", paced.wallMs);
        json.number("limit_ms", LimitMs(paced));
        json.summary("ratio", paced.ratio);
        if (const auto target = RatioTarget(paced)) {
            json.number("target_ratio", *target);
            json.boolean("met", paced.ratio.median <= *target);
        } else {
            json.null("target_ratio");
        }
        json.summary("host_work_ms", paced.hostWorkMs);
        json.summary("turnaround_us", paced.turnaroundMicros);
        json.bytes(paced.measuredBytes, paced.expectedBytes, paced.bytesSteady);
        json.texts("problems", paced.problems);
        json.close();
    }
    if (results.silent) {
        const SilentCase& silent = *results.silent;
        json.open("silent_read");
        json.integer("runs", silent.runs);
        json.summary("wall_s", silent.wallSeconds);
        json.summary("process_cpu_percent", silent.processCpuPercent);
        json.summary("operation_thread_cpu_percent", silent.operationThreadCpuPercent);
        json.number("target_cpu_percent", kSilentCpuTargetPercent);
        json.boolean("met", silent.processCpuPercent.median <= kSilentCpuTargetPercent);
        json.integer("timeouts", silent.timeouts);
        json.bytes(silent.measuredBytes, silent.expectedBytes, silent.bytesSteady);
        json.texts("problems", silent.problems);
        json.close();
    }
    if (results.startup) {
        const StartupCase& startup = *results.startup;
        json.open("startup");
        if (StartupMeasured(results)) {
            json.text("display", startup.display);
            json.integer("runs", startup.runs);
            json.summary("shown_ms", startup.shownMs);
            json.summary("painted_ms", startup.paintedMs);
            json.summary("peak_rss_mb", startup.peakRssMB);
            json.number("target_ms", static_cast<double>(kStartupTarget.count()));
            json.number("target_rss_mb", kPeakRssTargetMB);
            json.boolean(
                "met", startup.shownMs.median < static_cast<double>(kStartupTarget.count()) &&
                           startup.paintedMs.median < static_cast<double>(kStartupTarget.count()) &&
                           startup.peakRssMB.median < kPeakRssTargetMB);
        } else {
            json.text("skipped", startup.skipped);
        }
        json.texts("problems", startup.problems);
        json.close();
    }
    json.close();
    json.close();
    return json.result();
}

} // namespace veloris::bench
