#include "bench/line_cases.h"

#include <algorithm>
#include <array>
#include <functional>
#include <thread>

#include <sys/prctl.h>
#include <sys/resource.h>

#include "bench/case_helpers.h"
#include "bench/counting_log.h"
#include "bench/timed_port.h"
#include "operations/operations.h"
#include "protocol/parameter_slots.h"
#include "serial/clock.h"
#include "serial/termios_port.h"
#include "sim/answering_prompts.h"
#include "sim/pty_board.h"

namespace veloris::bench {

namespace {

using std::chrono::steady_clock;
using namespace std::chrono_literals;

// The simulated board sleeps until each byte is due; the kernel's default timer slack of
// 50 us would add to every byte it sends, which is the simulator's error, not the program's.
constexpr unsigned long kBoardTimerSlackNs = 1;
constexpr std::string_view kFirmwarePath = "C:\\cinetik5\\veloris.S19";

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Threads started while this lives inherit a fine timer slack; this thread gets its own
// default back once the board's thread is running.
struct FineTimerSlack {
    FineTimerSlack() { (void)prctl(PR_SET_TIMERSLACK, kBoardTimerSlackNs, 0, 0, 0); }
    static void restoreDefault() { (void)prctl(PR_SET_TIMERSLACK, 0, 0, 0, 0); }
};

// One pseudo-terminal line with its board, and the services an operation runs against
// around the real port.
class BenchLine {
  public:
    explicit BenchLine(BoardBehaviour behaviour)
        : board_(BoardSetup(behaviour)), port_([this](int) { return board_.slavePath(); }),
          timedPort_(port_), prompts_(std::string(kFirmwarePath)), line_{timedPort_, log_, clock_} {
        FineTimerSlack::restoreDefault();
    }

    struct Run {
        steady_clock::duration wall{};
        double processCpuSeconds = 0;
        double threadCpuSeconds = 0;
        ByteCount bytes;
        // The program's own work: opening and closing, and from each byte in to its answer.
        steady_clock::duration hostWork{};
        steady_clock::duration turnaround{};
        int answers = 0;
    };

    // Runs the operation once with the board idle and its trace empty.
    Run run(const std::function<void(OperationLine&)>& operation) {
        settle();
        board_.withBoard([](BoardModel& board) { board.trace().clear(); });
        prompts_ = AnsweringPrompts(std::string(kFirmwarePath));
        log_.resetCount();
        timedPort_.resetTimes();

        Run run;
        const double processBefore = CpuSeconds(RUSAGE_SELF);
        const double threadBefore = CpuSeconds(RUSAGE_THREAD);
        const auto start = steady_clock::now();
        operation(line_);
        run.wall = steady_clock::now() - start;
        run.threadCpuSeconds = CpuSeconds(RUSAGE_THREAD) - threadBefore;
        run.processCpuSeconds = CpuSeconds(RUSAGE_SELF) - processBefore;
        run.turnaround = timedPort_.turnaround();
        run.answers = timedPort_.answers();
        run.hostWork = timedPort_.openClose() + run.turnaround;

        // The operation returns once its last byte is queued; the board takes it a moment
        // later, and only then is the trace whole.
        settle();
        run.bytes = board_.withBoard([](BoardModel& board) {
            return ByteCount{board.trace().receivedByBoard().size(),
                             board.trace().sentByBoard().size()};
        });
        return run;
    }

    PtyBoard& board() { return board_; }
    AnsweringPrompts& prompts() { return prompts_; }
    CountingLog& log() { return log_; }

  private:
    void settle() { SettleBoard(board_); }

    FineTimerSlack fineTimerSlack_;
    PtyBoard board_;
    TermiosPort port_;
    TimedPort timedPort_;
    CountingLog log_;
    AnsweringPrompts prompts_;
    SystemClock clock_;
    OperationLine line_;
};

PacedCase StartPacedCase(std::string key, std::string title, int runs, ByteCount expected) {
    PacedCase result;
    result.key = std::move(key);
    result.title = std::move(title);
    result.runs = runs;
    result.expectedBytes = expected;
    result.lineLimit = kLineByteTime * static_cast<long>(expected.total());
    return result;
}

// The measurements of every run of a paced case, summarized once all are in.
struct PacedSamples {
    std::vector<double> wallMs;
    std::vector<double> hostWorkMs;
    std::vector<double> turnaroundMicros;

    void add(PacedCase& result, const BenchLine::Run& run) {
        if (!wallMs.empty() && run.bytes != result.measuredBytes) {
            result.bytesSteady = false;
        }
        result.measuredBytes = run.bytes;
        wallMs.push_back(Milliseconds(run.wall));
        hostWorkMs.push_back(Milliseconds(run.hostWork));
        if (run.answers > 0) {
            turnaroundMicros.push_back(Milliseconds(run.turnaround) * 1000.0 / run.answers);
        }
    }

    void finish(PacedCase& result) const {
        result.wallMs = Summarize(wallMs);
        result.ratio = Scaled(result.wallMs, 1.0 / Milliseconds(result.lineLimit));
        result.hostWorkMs = Summarize(hostWorkMs);
        result.turnaroundMicros = Summarize(turnaroundMicros);
    }
};

void CheckSession(const SessionOutcome& session, std::vector<std::string>& problems) {
    if (session.state != SessionOutcome::State::Completed) {
        AddProblem(problems, "the port did not open, or the line was lost");
    }
}

// Each slot must come back as the board holds it.
void CheckValuesRead(BenchLine& line, const ReadResult& read, std::vector<std::string>& problems) {
    const EepromImage eeprom = line.board().eeprom();
    for (std::size_t i = 0; i < read.slots.size(); ++i) {
        const std::uint16_t held = eeprom.slotValue(kSlots[i].address);
        if (read.slots[i].value != held) {
            AddProblem(problems, std::string(kSlots[i].keyName) + " read as " +
                                     (read.slots[i].value ? std::to_string(*read.slots[i].value)
                                                          : std::string("nothing")) +
                                     ", the board holds " + std::to_string(held));
        }
    }
    if (read.slots.size() != kSlotCount) {
        AddProblem(problems, "not every slot was read");
    }
}

} // namespace

PacedCase MeasureRead(int runs) {
    PacedCase result = StartPacedCase("read", "read, four slots", runs, kReadBytes);
    BenchLine line(BoardBehaviour::Pacing());
    PacedSamples samples;
    for (int i = 0; i < runs; ++i) {
        ReadResult read;
        samples.add(result, line.run([&read](OperationLine& l) { read = ReadSlots(l); }));
        CheckSession(read.session, result.problems);
        CheckValuesRead(line, read, result.problems);
    }
    samples.finish(result);
    return result;
}

PacedCase MeasureWrite(int runs) {
    PacedCase result = StartPacedCase("write", "write, four slots", runs, kWriteBytes);
    BenchLine line(BoardBehaviour::Pacing());
    PacedSamples samples;
    for (int i = 0; i < runs; ++i) {
        (void)line.run([](OperationLine& l) { (void)ReadSlots(l); });
        // New values every run, so that each write changes what the board holds.
        WriteRequest request;
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            request.values[slot] =
                static_cast<std::uint16_t>(EepromImage::DefaultValue(slot) + 10 * (i % 7));
        }
        WriteResult write;
        samples.add(result, line.run([&](OperationLine& l) { write = WriteSlots(l, request); }));
        CheckSession(write.session, result.problems);
        if (!write.allConfirmed()) {
            AddProblem(result.problems, "a slot was not confirmed");
        }
        const EepromImage eeprom = line.board().eeprom();
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            const std::uint16_t held = eeprom.slotValue(kSlots[slot].address);
            if (held != request.values[slot]) {
                AddProblem(result.problems, std::string(kSlots[slot].keyName) + ": written " +
                                                std::to_string(*request.values[slot]) +
                                                ", the board holds " + std::to_string(held));
            }
        }
    }
    samples.finish(result);
    return result;
}

PacedCase MeasureProgramLoad(int runs) {
    PacedCase result =
        StartPacedCase("program_load", "program-load exchange", runs, kProgramLoadBytes);
    BenchLine line(BoardBehaviour::Pacing());
    PacedSamples samples;
    for (int i = 0; i < runs; ++i) {
        ProgramLoadResult load;
        samples.add(result,
                    line.run([&](OperationLine& l) { load = ProgramLoad(l, line.prompts()); }));
        if (line.prompts().questions != 1) {
            AddProblem(result.problems, "the file path was not asked for");
        }
        CheckSession(load.session, result.problems);
        if (!load.allChecksPassed()) {
            AddProblem(result.problems, "a check of the monitor's answers failed");
        }
    }
    samples.finish(result);
    return result;
}

SilentCase MeasureSilentRead(int runs) {
    SilentCase result;
    result.runs = runs;
    BenchLine line(BoardBehaviour::Silent());
    std::vector<double> wallSeconds;
    std::vector<double> processPercent;
    std::vector<double> threadPercent;
    for (int i = 0; i < runs; ++i) {
        const BenchLine::Run run = line.run([](OperationLine& l) { (void)ReadSlots(l); });
        const double wall = std::chrono::duration<double>(run.wall).count();
        wallSeconds.push_back(wall);
        processPercent.push_back(100.0 * run.processCpuSeconds / wall);
        threadPercent.push_back(100.0 * run.threadCpuSeconds / wall);
        if (i > 0 && run.bytes != result.measuredBytes) {
            result.bytesSteady = false;
        }
        result.measuredBytes = run.bytes;
        result.timeouts = line.log().noReplies();
        if (result.timeouts != kSilentReadTimeouts) {
            AddProblem(result.problems, std::to_string(result.timeouts) + " time-outs instead of " +
                                            std::to_string(kSilentReadTimeouts));
        }
    }
    result.wallSeconds = Summarize(wallSeconds);
    result.processCpuPercent = Summarize(processPercent);
    result.operationThreadCpuPercent = Summarize(threadPercent);
    return result;
}

} // namespace veloris::bench
