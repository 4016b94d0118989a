// "Ecriture EEPROM" with value texts chosen by the fuzzer, the data boxes of slots 2 to 4
// filled or not, and a simulated board that cooperates or misbehaves.
//
// A value text the write's check refuses, in a slot the write would write, means nothing
// at all goes to the board: the port is not opened and the board receives no byte.
// Otherwise the board's EEPROM changes only inside the records of the slots written, each
// byte there either kept or set to the new record's; a slot shown as written (its data box
// holding the new record) is held by the board; a slot not confirmed is emptied and named;
// slots not written keep their data box. The port is closed at the end.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "operations/operations.h"
#include "operations/value_check.h"
#include "protocol/parameter_slots.h"
#include "sim/fake_port.h"
#include "sim/headless_window.h"

using namespace veloris;
using namespace veloris::fuzz;

namespace {

constexpr std::size_t kLongestValueText = 24;
const std::string kReadRecord = " CC 00 64 DD";

// The shortest byte wait: an answer later than this may be taken for the answer to a
// later byte.
constexpr std::chrono::milliseconds kShortestWait{1500};

struct BoardChoice {
    bool cooperative = false;
    // Every byte is answered in time or not at all, so the host and the board never
    // disagree on where a block ends.
    bool answersInTime = true;
};

BoardBehaviour ChosenBehaviour(FuzzedDataProvider& input, BoardChoice& choice) {
    const int mode = input.ConsumeIntegralInRange(0, 7);
    choice.cooperative = mode == 0;
    switch (mode) {
    case 1:
        return BoardBehaviour::Silent();
    case 2:
        return BoardBehaviour::Burst();
    case 3:
        return BoardBehaviour::WrongEchoOnce(input.ConsumeIntegralInRange(1, 4));
    case 4:
        return BoardBehaviour::WrongEcho();
    case 5:
        return BoardBehaviour::DisconnectAfter(input.ConsumeIntegralInRange<std::size_t>(1, 40));
    case 6:
        return BoardBehaviour::SilentAt(
            EepromImage::kSlotAddresses[input.ConsumeIntegralInRange<std::size_t>(0, 3)]);
    case 7: {
        const std::chrono::milliseconds delay(input.ConsumeIntegralInRange(0, 2500));
        choice.answersInTime = delay < kShortestWait;
        return BoardBehaviour::Slow(delay);
    }
    default:
        return BoardBehaviour::Cooperative();
    }
}

bool Guarded(const HeadlessBoxes& boxes, const ParameterSlot& slot) {
    return !boxes.text(slot.guardBox).empty();
}

std::array<std::uint8_t, 4> RecordBytes(int value) {
    return {0xCC, static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF),
            0xDD};
}

// The row label as messages name it, without its trailing blank.
std::string RowName(const ParameterSlot& slot) {
    const std::string_view label = slot.rowLabel;
    return std::string(label.substr(0, label.find_last_not_of(' ') + 1));
}

// The slot whose record holds `address`, if any.
std::optional<std::size_t> SlotAt(std::uint16_t address) {
    for (std::size_t slot = 0; slot < 4; ++slot) {
        const std::uint16_t first = EepromImage::kSlotAddresses[slot];
        if (address >= first && address < first + EepromImage::kRecordSize) {
            return slot;
        }
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    HeadlessBoxes boxes;
    for (const ParameterSlot& slot : kParameterSlots) {
        if (&slot != &kParameterSlots[0] && input.ConsumeBool()) {
            boxes.setText(slot.dataBox, kReadRecord);
        }
        boxes.setText(slot.valueBox, input.ConsumeRandomLengthString(kLongestValueText));
    }
    BoardChoice choice;
    const BoardBehaviour behaviour = ChosenBehaviour(input, choice);

    std::array<bool, 4> written{};
    std::array<std::optional<int>, 4> values{};
    std::array<std::string, 4> dataBefore{};
    bool anyRefused = false;
    for (std::size_t i = 0; i < 4; ++i) {
        const ParameterSlot& slot = kParameterSlots[i];
        written[i] = Guarded(boxes, slot);
        values[i] = WritableValue(boxes.text(slot.valueBox));
        dataBefore[i] = boxes.text(slot.dataBox);
        anyRefused = anyRefused || (written[i] && !values[i]);
    }

    VirtualClock clock;
    FakePort port(clock, behaviour);
    const EepromImage before = port.board().eeprom();
    StringLog log;
    AnsweringDialogs dialogs;
    OperationContext context{port, boxes, log, dialogs, clock};

    WriteParameters(context);

    const Bytes received = port.board().trace().receivedByBoard();
    Require(!port.portOpen(), "the port is closed after the write");
    if (anyRefused) {
        Require(port.openCount() == 0 && received.empty(),
                "a refused value text sends nothing at all");
        Require(dialogs.messages.size() == 1, "a refused value text is told to the user");
        for (std::size_t i = 0; i < 4; ++i) {
            Require(boxes.text(kParameterSlots[i].dataBox) == dataBefore[i],
                    "a refused write leaves the data boxes as they were");
        }
        return 0;
    }

    const EepromImage& after = port.board().eeprom();
    // An echo that comes after the host gave up on it leaves the board inside a write block
    // the host has left: the next header's bytes are then stored as data. That is how the
    // line protocol works, so the EEPROM is checked only for boards that answer in time.
    for (std::uint32_t address = EepromImage::kFirstAddress;
         choice.answersInTime && address < EepromImage::kFirstAddress + EepromImage::kSize;
         ++address) {
        const auto at = static_cast<std::uint16_t>(address);
        if (after.byte(at) == before.byte(at)) {
            continue;
        }
        const auto slot = SlotAt(at);
        Require(slot && written[*slot], "the write changes only the records it writes");
        const auto record = RecordBytes(*values[*slot]);
        Require(after.byte(at) == record[at - EepromImage::kSlotAddresses[*slot]],
                "a written record byte is the new record's");
    }
    for (std::size_t i = 0; i < 4; ++i) {
        const ParameterSlot& slot = kParameterSlots[i];
        const std::string dataBox = boxes.text(slot.dataBox);
        if (!written[i]) {
            Require(dataBox == dataBefore[i], "a slot not written keeps its data box", dataBox);
            continue;
        }
        const std::string encoded = EncodeValue(boxes.text(slot.valueBox));
        if (dataBox == encoded) {
            Require(after.record(EepromImage::kSlotAddresses[i]) == RecordBytes(*values[i]),
                    "a slot shown as written is held by the board", dataBox);
        } else if (dataBox.empty()) {
            bool named = false;
            for (const std::string& message : dialogs.messages) {
                named = named || message.find(RowName(slot)) != std::string::npos;
            }
            Require(named, "an unconfirmed slot is named to the user");
        } else {
            Require(dataBox == dataBefore[i] && port.board().hungUp(),
                    "only a slot after a hang-up keeps its old data box", dataBox);
        }
    }
    if (choice.cooperative) {
        Require(dialogs.messages.empty(), "a cooperative board confirms every slot");
    }
    return 0;
}
