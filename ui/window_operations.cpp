#include "ui/window_operations.h"

#include "ui/control_table.h"
#include "ui/operation_texts.h"

namespace veloris {

namespace {

constexpr std::string_view kProgramLog = "EDTprg";
constexpr std::string_view kLineBreak = "\r\n";

// An operation that could not open the port, or lost the line, says so once it is over.
void TellSession(const SessionOutcome& session, WindowParts window, bool writing = false) {
    if (session.state == SessionOutcome::State::NotOpened && session.openFailure) {
        window.dialogs.message(
            OpenFailureMessage(window.comm1.commPort(), *session.openFailure, window.hintProbes));
    } else if (session.state == SessionOutcome::State::LineLost) {
        window.dialogs.message(
            LineLostMessage(window.comm1.commPort(), window.comm1.deviceName(), writing));
    }
}

class ReadView final : public OperationProgress {
  public:
    explicit ReadView(WidgetBoxes& boxes) : boxes_(boxes) {}

    void recordByte(std::size_t slot, std::uint8_t byte) override {
        const std::string_view box = ControlsOf(slot).dataBox;
        boxes_.setText(box, boxes_.text(box) + " " + HexByte(byte));
    }
    // A partial or misframed record shows no value: it would be a number the board does not
    // hold, and a later write would store it.
    void slotRead(std::size_t slot, const SlotRead& read) override {
        boxes_.setText(ControlsOf(slot).valueBox, read.value ? std::to_string(*read.value) : "");
    }

  private:
    WidgetBoxes& boxes_;
};

class WriteView final : public OperationProgress {
  public:
    WriteView(WidgetBoxes& boxes, const WriteRequest& request) : boxes_(boxes), request_(request) {}

    void slotBegun(std::size_t slot) override {
        boxes_.setText(ControlsOf(slot).dataBox,
                       EncodeValue(std::to_string(request_.values[slot].value_or(0))));
    }
    // The box must not claim a record the board may not hold.
    void slotWritten(std::size_t slot, const SlotWrite& write) override {
        if (write.status == SlotWrite::Status::NotConfirmed) {
            boxes_.setText(ControlsOf(slot).dataBox, "");
        }
    }

  private:
    WidgetBoxes& boxes_;
    const WriteRequest& request_;
};

class ProgramLoadView final : public ProgramLoadPrompts {
  public:
    explicit ProgramLoadView(WindowParts window) : window_(window) {}

    void warnBeforeLoading() override { window_.dialogs.message(std::string(kLoadWarning)); }
    std::string askFilePath() override {
        return window_.dialogs.inputBox(std::string(kLoadPathPrompt), std::string(kLoadPathTitle),
                                        std::string(kLoadPathDefault));
    }
    void checkFailed(const MonitorCheck& check) override {
        window_.dialogs.message(std::string(MonitorComplaint(check.step)));
    }
    void byteRecorded(ByteValue value) override {
        window_.boxes.setText(kProgramLog, window_.boxes.text(kProgramLog) +
                                               std::string(kLineBreak) + std::to_string(value));
    }
    void lastAnswer(const Bytes& answer) override {
        window_.boxes.setText(kProgramLog, BytesAsText(answer));
    }
    void askTelescopeStopped() override {
        window_.dialogs.message(std::string(kTelescopeStoppedQuestion));
    }

  private:
    WindowParts window_;
};

} // namespace

void ReadIntoWindow(OperationLine& line, WindowParts window) {
    for (const SlotControls& slot : kSlotControls) {
        window.boxes.setText(slot.dataBox, "");
    }
    ReadView view(window.boxes);
    line.progress = &view;
    const ReadResult result = ReadSlots(line);
    line.progress = nullptr;
    TellSession(result.session, window);
}

void WriteFromWindow(OperationLine& line, WindowParts window) {
    std::array<SlotTexts, kSlotCount> texts;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        texts[slot] = {window.boxes.text(ControlsOf(slot).valueBox),
                       !window.boxes.text(ControlsOf(slot).guardBox).empty()};
    }
    const CheckedValues checked = CheckValueTexts(texts);
    if (const auto* refused = std::get_if<std::vector<RefusedValue>>(&checked)) {
        window.dialogs.message(RefusedValuesMessage(*refused));
        return;
    }
    const WriteRequest& request = std::get<WriteRequest>(checked);
    WriteView view(window.boxes, request);
    line.progress = &view;
    const WriteResult result = WriteSlots(line, request);
    line.progress = nullptr;
    TellSession(result.session, window, true);

    std::vector<SlotKey> unconfirmed;
    for (const SlotWrite& write : result.slots) {
        if (write.status == SlotWrite::Status::NotConfirmed) {
            unconfirmed.push_back(write.key);
        }
    }
    if (!unconfirmed.empty()) {
        window.dialogs.message(UnconfirmedMessage(
            unconfirmed, result.session.state == SessionOutcome::State::LineLost));
    }
}

void ProgramLoadInWindow(OperationLine& line, WindowParts window) {
    window.boxes.setText(kProgramLog, "");
    ProgramLoadView view(window);
    const ProgramLoadResult result = ProgramLoad(line, view);
    if (!result.cancelled) {
        TellSession(result.session, window);
    }
}

} // namespace veloris
