// The program-load exchange with the board's debug monitor.

#include "operations/program_load.h"

#include <algorithm>

#include "operations/port_session.h"
#include "protocol/hex_transfer.h"

namespace veloris {

namespace {

constexpr int kStartDebug = 0x01; // the monitor answers 0x01
constexpr int kHaltDebug = 0x04;  // the monitor answers 0x04
constexpr std::string_view kStopText = "03 00";
constexpr int kStopConfirmed = 0x03; // awaited after the stop transfer
constexpr int kRecordedBytes = 11;

class MonitorExchange {
  public:
    MonitorExchange(PortSession& session, ProgramLoadPrompts& prompts, ProgramLoadResult& result)
        : session_(session), exchange_(session.exchange()), prompts_(prompts), result_(result) {}

    void run() {
        exchange_.SendByte(kStartDebug);
        if (!expectAnswer(MonitorCheck::Step::StartDebug, kStartDebug)) {
            return;
        }
        exchange_.SendByte(kHaltDebug);
        if (!expectAnswer(MonitorCheck::Step::HaltDebug, kHaltDebug)) {
            return;
        }
        if (session_.stopAsked()) {
            return;
        }
        (void)SendHexBytes(exchange_, std::string(kStopText), 2);
        if (!expectAnswer(MonitorCheck::Step::StopDebug, kStopConfirmed)) {
            return;
        }

        result_.firstKept = exchange_.ReceiveByte();
        result_.secondKept = exchange_.ReceiveByte();
        for (int i = 0; i < kRecordedBytes; ++i) {
            result_.recorded.push_back(exchange_.ReceiveByte());
            prompts_.byteRecorded(result_.recorded.back());
        }
        if (session_.lost() || session_.stopAsked()) {
            return;
        }
        // "06 06" and the two kept bytes, the second "06" and the first kept byte side by side.
        (void)SendHexBytes(
            exchange_, "06 06" + HexByte(result_.firstKept) + " " + HexByte(result_.secondKept), 4);
        if (session_.lost()) {
            return; // the board's answer and the question whether it stopped mean nothing now
        }
        result_.lastAnswer = exchange_.TakeInput();
        prompts_.lastAnswer(*result_.lastAnswer);
        prompts_.askTelescopeStopped();
    }

  private:
    // Receives the monitor's answer and complains when it is not the one expected; false
    // when the line is gone and the exchange must end. A lost line is no wrong answer: it
    // is told once, as the loss, and not as a complaint first.
    bool expectAnswer(MonitorCheck::Step step, int expected) {
        const MonitorCheck check{step, static_cast<ByteValue>(expected), exchange_.ReceiveByte()};
        result_.checks.push_back(check);
        if (session_.lost()) {
            return false;
        }
        if (!check.passed()) {
            prompts_.checkFailed(check);
        }
        return true;
    }

    PortSession& session_;
    ByteExchange& exchange_;
    ProgramLoadPrompts& prompts_;
    ProgramLoadResult& result_;
};

} // namespace

bool ProgramLoadResult::allChecksPassed() const {
    return checks.size() == 3 &&
           std::ranges::all_of(checks, [](const MonitorCheck& c) { return c.passed(); });
}

ProgramLoadResult ProgramLoad(OperationLine& line, ProgramLoadPrompts& prompts) {
    ProgramLoadResult result;
    prompts.warnBeforeLoading();
    if (prompts.askFilePath().empty()) {
        result.cancelled = true;
        return result;
    }
    PortSession session(line);
    if (session.opened()) {
        MonitorExchange(session, prompts, result).run();
        session.close();
    }
    result.session = session.outcome();
    return result;
}

} // namespace veloris
