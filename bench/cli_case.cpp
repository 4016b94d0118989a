#include "bench/cli_case.h"

#include <algorithm>
#include <thread>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/case_helpers.h"
#include "bench/child_process.h"
#include "sim/pty_board.h"

namespace veloris::bench {

namespace {

using std::chrono::steady_clock;

// A read that meets a silent board takes some 8 s; far more than that is a hang.
constexpr std::chrono::milliseconds kPatience{20000};
constexpr unsigned long kBoardTimerSlackNs = 1;

constexpr const char* kBareProgram = "/bin/true";

} // namespace

double CliCase::targetMs() const {
    return std::chrono::duration<double, std::milli>(lineLimit + kCliOverheadTarget).count();
}

CliCase MeasureCliRead(const std::string& program, int runs) {
    CliCase result;
    result.program = program;
    result.lineLimit = kLineByteTime * static_cast<long>(result.expectedBytes.total());
    if (::access(program.c_str(), X_OK) != 0) {
        result.skipped = program + " not found";
        return result;
    }
    // The board's thread inherits a fine timer slack, as in the in-process cases.
    (void)prctl(PR_SET_TIMERSLACK, kBoardTimerSlackNs, 0, 0, 0);
    PtyBoard board(BoardSetup(BoardBehaviour::Pacing()));
    (void)prctl(PR_SET_TIMERSLACK, 0, 0, 0, 0);

    const std::vector<std::string> environment = EnvironmentWith({"LC_ALL=C"}, {});
    std::vector<double> wallMs;
    for (int i = 0; i < runs; ++i) {
        SettleBoard(board);
        board.withBoard([](BoardModel& model) { model.trace().clear(); });
        const auto start = steady_clock::now();
        SpawnRequest request;
        request.program = program;
        request.arguments = {"read", "--quiet", "-p", board.slavePath()};
        request.environment = environment;
        const pid_t child = Spawn(request);
        const Ended ended = WaitForEnd(child, kPatience);
        wallMs.push_back(Milliseconds(steady_clock::now() - start));
        if (ended.killed) {
            AddProblem(result.problems, "did not end within 20 s");
        } else if (!WIFEXITED(ended.status) || WEXITSTATUS(ended.status) != 0) {
            AddProblem(result.problems, "ended with status " + std::to_string(ended.status));
        }
        SettleBoard(board);
        const ByteCount bytes = board.withBoard([](BoardModel& model) {
            return ByteCount{model.trace().receivedByBoard().size(),
                             model.trace().sentByBoard().size()};
        });
        if (i > 0 && bytes != result.measuredBytes) {
            result.bytesSteady = false;
        }
        result.measuredBytes = bytes;
    }
    std::vector<double> bareMs;
    for (int i = 0; i < runs && ::access(kBareProgram, X_OK) == 0; ++i) {
        SpawnRequest request;
        request.program = kBareProgram;
        request.environment = environment;
        const auto start = steady_clock::now();
        (void)WaitForEnd(Spawn(request), kPatience);
        bareMs.push_back(Milliseconds(steady_clock::now() - start));
    }
    result.runs = runs;
    result.wallMs = Summarize(wallMs);
    result.bareProcessMs = Summarize(bareMs);
    return result;
}

} // namespace veloris::bench
