#pragma once
// The program-load exchange: after a warning and a question for the file to load, a fixed
// exchange with the board's debug monitor. No file is opened; the path only decides
// whether to go on.

#include <string>
#include <vector>

#include "operations/parameters.h"

namespace veloris {

// One of the three answers of the debug monitor that are checked.
struct MonitorCheck {
    enum class Step {
        StartDebug, // 0x01 sent, 0x01 awaited: the debug communication starts
        HaltDebug,  // 0x04 sent, 0x04 awaited: the stop starts
        StopDebug,  // "03 00" sent, 0x03 awaited: the monitor stopped
    };
    Step step = Step::StartDebug;
    ByteValue expected = 0;
    ByteValue received = kTimeoutMarker;
    bool passed() const { return received == expected; }
};

// Where the exchange needs its user; each call returns once the user has answered, and the
// exchange waits meanwhile.
class ProgramLoadPrompts {
  public:
    virtual ~ProgramLoadPrompts() = default;
    // The exchange replaces the program of the telescope's control board.
    virtual void warnBeforeLoading() = 0;
    // The file to load; empty when the user cancels.
    virtual std::string askFilePath() = 0;
    // A checked answer was wrong or missing; the exchange goes on afterwards.
    virtual void checkFailed(const MonitorCheck& check) = 0;
    // One of the eleven bytes the stopped monitor sends, as it came.
    virtual void byteRecorded(ByteValue /*value*/) {}
    // The board's last reply: everything waiting at the end of the exchange.
    virtual void lastAnswer(const Bytes& /*answer*/) {}
    // Whether the telescope has stopped.
    virtual void askTelescopeStopped() = 0;
};

struct ProgramLoadResult {
    SessionOutcome session;
    bool cancelled = false;           // no file path: the port was not opened
    std::vector<MonitorCheck> checks; // those made, in order
    ByteValue firstKept = kTimeoutMarker;
    ByteValue secondKept = kTimeoutMarker;
    std::vector<ByteValue> recorded; // the eleven bytes, timeout markers included
    std::optional<Bytes> lastAnswer; // the final read of the input, when it was reached
    bool allChecksPassed() const;
};

// A stop is asked for before each of the two byte-string transfers.
ProgramLoadResult ProgramLoad(OperationLine& line, ProgramLoadPrompts& prompts);

} // namespace veloris
