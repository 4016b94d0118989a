#pragma once
// The board's four parameters as data: what a read found, what a write asks for and what
// the board confirmed, and the program-load exchange's outcome. Front ends (the window,
// the command line) turn these into words; nothing here is a sentence for the user.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "protocol/parameter_slots.h"
#include "serial/byte_exchange.h"
#include "serial/byte_observer.h"
#include "serial/clock.h"
#include "serial/exchange_log.h"
#include "serial/serial_port.h"
#include "serial/wait_observer.h"

// Qt defines `slots` as a keyword macro; the member names below must survive a Qt header
// included first. Code that uses them next to Qt headers builds with QT_NO_KEYWORDS.
#pragma push_macro("slots")
#undef slots

namespace veloris {

// How the port went for one operation.
struct SessionOutcome {
    enum class State {
        Completed,   // opened, every step run, closed
        NotOpened,   // nothing was exchanged; `openFailure` says why
        LineLost,    // the device hung up; `lostInSlot` is where it was seen
        Interrupted, // a stop was asked for; no block was started after it
    };
    State state = State::Completed;
    std::optional<OpenFailure> openFailure;
    std::optional<std::size_t> lostInSlot; // index into kSlots
};

// Slots chosen by index into kSlots.
using SlotSelection = std::array<bool, kSlotCount>;
constexpr SlotSelection AllSlots() {
    SlotSelection all{};
    all.fill(true);
    return all;
}

// ---- Reading ----

enum class RecordFault {
    None,       // whole and framed CC ... DD: `value` holds the parameter
    NoEcho,     // the board did not echo the read command (no record was sent)
    Short,      // fewer than four record bytes came in time
    Misframed,  // four bytes came, but not opened by CC and closed by DD
    LineLost,   // the line was lost before or during this slot
    NotReached, // a stop was asked for before this slot began
    NotAsked,   // the read was asked for other slots only; nothing was sent for this one
};

struct SlotRead {
    SlotKey key{};
    Bytes record; // as the board sent them, 0 to 4 bytes
    std::optional<std::uint16_t> value;
    RecordFault fault = RecordFault::None;
};

struct ReadResult {
    SessionOutcome session;
    std::vector<SlotRead> slots; // in slot order; empty when the port did not open
    bool complete() const;       // every slot asked for read whole
};

// ---- Writing ----

// For each slot, a value to write or nothing (the slot is skipped).
struct WriteRequest {
    std::array<std::optional<std::uint16_t>, kSlotCount> values{};
};

// The slots a write request names: what a read-back of it reads.
constexpr SlotSelection WrittenSlots(const WriteRequest& request) {
    SlotSelection written{};
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        written[i] = request.values[i].has_value();
    }
    return written;
}

// The first byte of a written slot that did not come back right.
struct FailedByte {
    enum class Stage { CommandEcho, RecordEcho };
    Stage stage = Stage::CommandEcho;
    int position = 0;                    // 1 to 4 for a record echo
    ByteValue received = kTimeoutMarker; // what came instead
};

struct SlotWrite {
    // NotReached: asked for, but the line was lost (or a stop was asked for) before it.
    enum class Status { Confirmed, NotConfirmed, NotReached, Skipped };
    SlotKey key{};
    Status status = Status::Skipped;
    Bytes record;                           // the record sent (empty when skipped)
    std::optional<FailedByte> firstFailure; // set when NotConfirmed
};

struct WriteResult {
    SessionOutcome session;
    std::vector<SlotWrite> slots; // in slot order; empty when the port did not open
    bool allConfirmed() const;    // every slot that was asked for is Confirmed
};

// A value the board can hold: a whole number from 0 to 65535, blanks, tabs and line feeds
// ignored wherever they stand ("36 000" is 36000). Anything else ("", "12abc", "12,5",
// "100.5", "-1", "70000") is nothing: the lenient coding would write 0 for "abc" and wrap
// 70000 into 4464.
std::optional<std::uint16_t> WritableValue(std::string_view valueText);

// The value texts a user typed, checked before anything is opened: whole numbers from 0 to
// 65535, blanks ignored. A slot whose guard does not let it through is skipped.
struct SlotTexts {
    std::string value;   // the typed value
    bool guardHasText{}; // the slot's guard text is not empty
};
struct RefusedValue {
    SlotKey key{};
    std::string text;
};
using CheckedValues = std::variant<WriteRequest, std::vector<RefusedValue>>;
CheckedValues CheckValueTexts(const std::array<SlotTexts, kSlotCount>& texts);

// ---- Progress and stopping ----

// Told as an operation goes, each byte sent or received included (ByteObserver); every
// call comes on the operation's own thread.
class OperationProgress : public ByteObserver {
  public:
    virtual ~OperationProgress() = default;
    // A slot's block is about to start (read), or a slot to be written (write).
    virtual void slotBegun(std::size_t /*slot*/) {}
    // A record byte taken from the board (read) after it was echoed back.
    virtual void recordByte(std::size_t /*slot*/, std::uint8_t /*byte*/) {}
    virtual void slotEnded(std::size_t /*slot*/) {}
    // What became of each slot, in slot order, also of those not begun; told before the
    // port is closed.
    virtual void slotRead(std::size_t /*slot*/, const SlotRead& /*read*/) {}
    virtual void slotWritten(std::size_t /*slot*/, const SlotWrite& /*write*/) {}
};

// Asked before each block: once it says yes, the block under way is finished and no
// further block is started.
class StopRequest {
  public:
    virtual ~StopRequest() = default;
    virtual bool requested() const = 0;
};

// What every operation runs against.
struct OperationLine {
    SerialPort& port;
    ExchangeLog& log;
    Clock& clock;
    WaitObserver* waiting = nullptr;
    OperationProgress* progress = nullptr;
    const StopRequest* stop = nullptr;
};

// Reads the chosen slots, in slot order; the others are NotAsked and cost no byte.
ReadResult ReadSlots(OperationLine& line, const SlotSelection& which = AllSlots());
WriteResult WriteSlots(OperationLine& line, const WriteRequest& request);

} // namespace veloris

#pragma pop_macro("slots")
