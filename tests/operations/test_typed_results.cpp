// The operations' results as data, against the simulated board on virtual time: what each
// kind of board gives for each slot, how the session went, and a stop asked for midway.

#include <gtest/gtest.h>

#include "operations/operations.h"
#include "sim/answering_prompts.h"
#include "sim/fake_port.h"

namespace veloris {
namespace {

struct Line {
    explicit Line(BoardSetup setup = {}) : port(clock, std::move(setup)) {}

    ReadResult read() {
        OperationLine line{port, log, clock, nullptr, nullptr, stop};
        return ReadSlots(line);
    }
    WriteResult write(const WriteRequest& request) {
        OperationLine line{port, log, clock, nullptr, nullptr, stop};
        return WriteSlots(line, request);
    }
    ProgramLoadResult load(ProgramLoadPrompts& prompts) {
        OperationLine line{port, log, clock, nullptr, nullptr, stop};
        return ProgramLoad(line, prompts);
    }

    VirtualClock clock;
    FakePort port;
    StringLog log;
    const StopRequest* stop = nullptr;
};

// Says yes from its n-th question on, as a signal handler setting a flag would.
class StopAfter final : public StopRequest {
  public:
    explicit StopAfter(int asks) : left_(asks) {}
    bool requested() const override { return --left_ < 0; }

  private:
    mutable int left_;
};

WriteRequest AllSlots(std::uint16_t first) {
    WriteRequest request;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        request.values[slot] = static_cast<std::uint16_t>(first + slot);
    }
    return request;
}

TEST(TypedRead, EachKindOfBoardGivesItsRecordsValuesAndFaults) {
    Line cooperating;
    const ReadResult whole = cooperating.read();
    EXPECT_TRUE(whole.complete());
    EXPECT_EQ(whole.session.state, SessionOutcome::State::Completed);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(whole.slots[slot].key, kSlots[slot].key);
        EXPECT_EQ(whole.slots[slot].value, EepromImage::DefaultValue(slot));
    }
    EXPECT_EQ(whole.slots[0].record, (Bytes{0xCC, 0x00, 0x64, 0xDD}));

    Line silent(BoardBehaviour::Silent());
    for (const SlotRead& read : silent.read().slots) {
        EXPECT_EQ(read.fault, RecordFault::NoEcho);
        EXPECT_TRUE(read.record.empty());
    }

    // The header is echoed, the record never comes.
    Line silentAtSlot2(BoardBehaviour::SilentAt(kSlots[1].address));
    const ReadResult partial = silentAtSlot2.read();
    EXPECT_EQ(partial.slots[1].fault, RecordFault::Short);
    EXPECT_FALSE(partial.slots[1].value);
    EXPECT_EQ(partial.slots[2].fault, RecordFault::None);

    Line misframed(BoardBehaviour::WrongFrame());
    EXPECT_EQ(misframed.read().slots[0].fault, RecordFault::Misframed);

    // Only the closing byte is wrong: four bytes, the right middle, and still no value.
    Line badClose(BoardBehaviour::WrongClose());
    const SlotRead closed = badClose.read().slots[0];
    EXPECT_EQ(closed.record, (Bytes{0xCC, 0x00, 0x64, 0xDE}));
    EXPECT_EQ(closed.fault, RecordFault::Misframed);
    EXPECT_FALSE(closed.value);

    Line burst(BoardBehaviour::Burst());
    EXPECT_TRUE(burst.read().complete());
}

// Everything a front end is told, in order, as one text: ">06" a byte sent, "<06" one
// received, "[0" slot 0 begun, "]0" ended.
struct ToldProgress final : OperationProgress {
    std::string told;
    void byteSent(std::uint8_t byte) override { told += ">" + HexByte(byte); }
    void byteReceived(std::uint8_t byte) override { told += "<" + HexByte(byte); }
    void slotBegun(std::size_t slot) override { told += "[" + std::to_string(slot); }
    void recordByte(std::size_t, std::uint8_t byte) override { told += "=" + HexByte(byte); }
    void slotEnded(std::size_t slot) override { told += "]" + std::to_string(slot); }
};

TEST(Progress, IsToldEachByteAndEachSlotAsItHappens) {
    Line line;
    ToldProgress progress;
    OperationLine operationLine{line.port, line.log, line.clock, nullptr, &progress};
    (void)ReadSlots(operationLine);
    EXPECT_TRUE(progress.told.starts_with(
        "[0>06<06>04>F8>94<CC>CC=CC<00>00=00<64>64=64<DD>DD=DD]0[1>06<06>04>F8>99<CC"))
        << progress.told;
    EXPECT_TRUE(progress.told.ends_with("]" + std::to_string(kSlotCount - 1)));

    ToldProgress writing;
    operationLine.progress = &writing;
    WriteRequest request;
    request.values[1] = 1000;
    (void)WriteSlots(operationLine, request);
    EXPECT_EQ(writing.told, "[1>05<05>04>F8>99>CC<CC>03<03>E8<E8>DD<DD>DD]1");
}

TEST(TypedRead, APortThatDoesNotOpenSaysWhyAndWhichDevice) {
    Line line;
    line.port.setCommPort(3);
    line.port.setOpenFailure(OpenFailure{OpenFailure::Reason::Busy, "", "", {}});
    const ReadResult result = line.read();
    EXPECT_EQ(result.session.state, SessionOutcome::State::NotOpened);
    ASSERT_TRUE(result.session.openFailure);
    EXPECT_EQ(result.session.openFailure->reason, OpenFailure::Reason::Busy);
    EXPECT_EQ(result.session.openFailure->device, "sim:COM3");
    EXPECT_TRUE(result.slots.empty());
    EXPECT_TRUE(line.port.board().trace().events().empty());
}

TEST(TypedWrite, EachSlotIsConfirmedOrNamesItsFirstFailedByte) {
    Line cooperating;
    WriteRequest request;
    request.values[0] = 1000;
    request.values[2] = 65535;
    const WriteResult written = cooperating.write(request);
    EXPECT_TRUE(written.allConfirmed());
    EXPECT_EQ(written.slots[0].status, SlotWrite::Status::Confirmed);
    EXPECT_EQ(written.slots[0].record, (Bytes{0xCC, 0x03, 0xE8, 0xDD}));
    EXPECT_EQ(written.slots[1].status, SlotWrite::Status::Skipped);
    EXPECT_EQ(cooperating.port.board().eeprom().slotValue(kSlots[2].address), 65535);

    Line wrongSecondEcho(BoardBehaviour::WrongEchoOnce(2, 0x55));
    const SlotWrite second = wrongSecondEcho.write(request).slots[0];
    EXPECT_EQ(second.status, SlotWrite::Status::NotConfirmed);
    ASSERT_TRUE(second.firstFailure);
    EXPECT_EQ(second.firstFailure->stage, FailedByte::Stage::RecordEcho);
    EXPECT_EQ(second.firstFailure->position, 2);
    EXPECT_EQ(second.firstFailure->received, 0x55);

    Line silent(BoardBehaviour::Silent());
    const WriteResult unanswered = silent.write(request);
    EXPECT_FALSE(unanswered.allConfirmed());
    ASSERT_TRUE(unanswered.slots[2].firstFailure);
    EXPECT_EQ(unanswered.slots[2].firstFailure->stage, FailedByte::Stage::CommandEcho);
    EXPECT_EQ(unanswered.slots[2].firstFailure->received, kTimeoutMarker);
}

TEST(ValueTexts, GuardsFirstThenWholeNumbersUpTo65535) {
    std::array<SlotTexts, kSlotCount> texts{};
    texts[0] = {" 36 000", true};
    texts[1] = {"abc", false}; // its guard keeps it out: never looked at
    texts[2] = {"65535", true};
    const CheckedValues accepted = CheckValueTexts(texts);
    const auto* request = std::get_if<WriteRequest>(&accepted);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->values[0], 36000);
    EXPECT_FALSE(request->values[1]);
    EXPECT_EQ(request->values[2], 65535);

    texts[1].guardHasText = true;
    texts[2].value = "70000";
    texts[3] = {"", true};
    const CheckedValues refused = CheckValueTexts(texts);
    const auto* rows = std::get_if<std::vector<RefusedValue>>(&refused);
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[0].key, SlotKey::Guiding);
    EXPECT_EQ((*rows)[0].text, "abc");
    EXPECT_EQ((*rows)[1].text, "70000");
    EXPECT_EQ((*rows)[2].key, SlotKey::Tempo);
}

TEST(ProgramLoadResults, TheChecksTheKeptBytesAndTheLastAnswer) {
    DebugMonitorReply reply;
    reply.furtherBytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    reply.trailer = "OK";
    reply.trailerWithLastEcho = true;
    Line line(BoardSetup({}, reply));
    AnsweringPrompts prompts;
    const ProgramLoadResult result = line.load(prompts);
    EXPECT_TRUE(result.allChecksPassed());
    EXPECT_EQ(result.firstKept, 0x12);
    EXPECT_EQ(result.secondKept, 0x34);
    EXPECT_EQ(result.recorded.size(), 11u);
    EXPECT_EQ(result.recorded.back(), 11);
    EXPECT_EQ(result.lastAnswer, (Bytes{'O', 'K'}));
    EXPECT_EQ(prompts.stoppedQuestions, 1);

    Line wrong(BoardBehaviour::WrongEcho(0x02));
    AnsweringPrompts complaints;
    const ProgramLoadResult checked = wrong.load(complaints);
    ASSERT_EQ(complaints.failedChecks.size(), 3u);
    EXPECT_EQ(complaints.failedChecks[0].step, MonitorCheck::Step::StartDebug);
    EXPECT_EQ(complaints.failedChecks[0].received, 0x02);
    EXPECT_FALSE(checked.allChecksPassed());

    Line cancelled;
    AnsweringPrompts nobody("");
    EXPECT_TRUE(cancelled.load(nobody).cancelled);
    EXPECT_EQ(cancelled.port.openCount(), 0);
}

// A stop finishes the block under way, starts no other, and closes the port as usual.
TEST(StopRequests, EndEachOperationBetweenBlocks) {
    Line reading;
    const StopAfter afterTwoSlots(2);
    reading.stop = &afterTwoSlots;
    const ReadResult read = reading.read();
    EXPECT_EQ(read.session.state, SessionOutcome::State::Interrupted);
    EXPECT_EQ(read.slots[1].fault, RecordFault::None);
    EXPECT_EQ(read.slots[2].fault, RecordFault::NotReached);
    EXPECT_EQ(reading.port.board().trace().receivedByBoard().size(), 2 * 8u);
    EXPECT_FALSE(reading.port.portOpen());

    Line writing;
    const StopAfter afterOneSlot(1);
    writing.stop = &afterOneSlot;
    const WriteResult write = writing.write(AllSlots(500));
    EXPECT_EQ(write.session.state, SessionOutcome::State::Interrupted);
    EXPECT_EQ(write.slots[0].status, SlotWrite::Status::Confirmed);
    EXPECT_EQ(write.slots[1].status, SlotWrite::Status::NotReached);
    EXPECT_EQ(writing.port.board().trace().receivedByBoard().size(), 9u);
    EXPECT_FALSE(writing.port.portOpen());

    // Asked before the stop transfer "03 00": only 0x01 and 0x04 went out.
    Line loading;
    const StopAfter atOnce(0);
    loading.stop = &atOnce;
    AnsweringPrompts prompts;
    const ProgramLoadResult load = loading.load(prompts);
    EXPECT_EQ(load.session.state, SessionOutcome::State::Interrupted);
    EXPECT_EQ(loading.port.board().trace().receivedByBoard(), (Bytes{0x01, 0x04}));
    EXPECT_EQ(prompts.stoppedQuestions, 0);
    EXPECT_FALSE(loading.port.portOpen());
}

} // namespace
} // namespace veloris
