// The value check and the write, with value texts chosen by the fuzzer, the guards of the
// slots open or not, and a simulated board that cooperates or misbehaves.
//
// A value text the check refuses, in a slot whose guard lets it through, gives no request:
// nothing at all goes to the board. Otherwise the board's EEPROM changes only inside the
// records of the slots asked for, each byte there either kept or set to the new record's;
// a slot reported confirmed is held by the board; slots not asked for are skipped. The port
// is closed at the end.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "operations/operations.h"
#include "protocol/parameter_slots.h"
#include "sim/fake_port.h"

using namespace veloris;
using namespace veloris::fuzz;

namespace {

constexpr std::size_t kLongestValueText = 24;

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
            kSlots[input.ConsumeIntegralInRange<std::size_t>(0, kSlotCount - 1)].address);
    case 7: {
        const std::chrono::milliseconds delay(input.ConsumeIntegralInRange(0, 2500));
        choice.answersInTime = delay < kShortestWait;
        return BoardBehaviour::Slow(delay);
    }
    default:
        return BoardBehaviour::Cooperative();
    }
}

std::array<std::uint8_t, 4> RecordBytes(int value) {
    return {0xCC, static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF),
            0xDD};
}

// The slot whose record holds `address`, if any.
std::optional<std::size_t> SlotAt(std::uint16_t address) {
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const std::uint16_t first = kSlots[slot].address;
        if (address >= first && address < first + EepromImage::kRecordSize) {
            return slot;
        }
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::array<SlotTexts, kSlotCount> texts;
    bool anyRefused = false;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        texts[slot].guardHasText = input.ConsumeBool();
        texts[slot].value = input.ConsumeRandomLengthString(kLongestValueText);
        anyRefused = anyRefused || (texts[slot].guardHasText && !WritableValue(texts[slot].value));
    }
    BoardChoice choice;
    const BoardBehaviour behaviour = ChosenBehaviour(input, choice);

    const CheckedValues checked = CheckValueTexts(texts);
    if (anyRefused) {
        const auto* refused = std::get_if<std::vector<RefusedValue>>(&checked);
        Require(refused != nullptr && !refused->empty(), "a refused value text gives no request");
        for (const RefusedValue& value : *refused) {
            const auto slot = static_cast<std::size_t>(value.key);
            Require(texts[slot].guardHasText && texts[slot].value == value.text,
                    "a refusal names a guarded slot and its text");
        }
        return 0;
    }
    const WriteRequest& request = std::get<WriteRequest>(checked);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        Require(request.values[slot].has_value() == texts[slot].guardHasText,
                "a slot is asked for exactly when its guard lets it through");
    }

    VirtualClock clock;
    FakePort port(clock, behaviour);
    const EepromImage before = port.board().eeprom();
    StringLog log;
    OperationLine line{port, log, clock};

    const WriteResult result = WriteSlots(line, request);

    Require(!port.portOpen(), "the port is closed after the write");
    Require(result.slots.size() == kSlotCount, "every slot is reported");
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
        Require(slot && request.values[*slot], "the write changes only the records it writes");
        const auto record = RecordBytes(*request.values[*slot]);
        Require(after.byte(at) == record[at - kSlots[*slot].address],
                "a written record byte is the new record's");
    }
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const SlotWrite& write = result.slots[slot];
        if (!request.values[slot]) {
            Require(write.status == SlotWrite::Status::Skipped, "a slot not asked for is skipped");
        } else if (write.status == SlotWrite::Status::Confirmed) {
            Require(after.record(kSlots[slot].address) == RecordBytes(*request.values[slot]),
                    "a confirmed slot is held by the board");
        } else if (write.status == SlotWrite::Status::NotReached) {
            Require(port.board().hungUp(), "only a lost line leaves a slot unreached");
        } else {
            Require(write.status == SlotWrite::Status::NotConfirmed && write.firstFailure,
                    "an unconfirmed slot names its first failed byte");
        }
    }
    if (choice.cooperative) {
        Require(result.allConfirmed(), "a cooperative board confirms every slot");
    }
    return 0;
}
