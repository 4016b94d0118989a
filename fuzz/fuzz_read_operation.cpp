// "Lecture EEPROM" against a board that answers whatever the fuzzer chooses: echoes, stray
// bytes, bursts of noise, late answers, a hang-up.
//
// Afterwards every value box is empty or a whole number 0 to 65535 written plainly, and it
// holds a number exactly when its data box holds a whole record framed " CC hh ll DD"; the
// number is then hh * 256 + ll. Data boxes hold at most four " hh" pairs. The port is
// closed, a hang-up is logged and told to the user, and the read ends within the bound of
// its byte waits.

#include <chrono>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/played_board_port.h"
#include "fuzz/reference_readers.h"
#include "operations/operations.h"
#include "serial/byte_exchange.h"
#include "sim/headless_window.h"

using namespace veloris;
using namespace veloris::fuzz;

namespace {

// Four slots, each a header echo and four record bytes at most, each wait 2.6 s at most.
constexpr std::chrono::seconds kLongestRead{4 * 5 * 3};

bool IsUpperHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The bytes of a data box made of " hh" pairs.
Bytes DataBoxBytes(const std::string& text) {
    Require(text.size() % 3 == 0 && text.size() <= 12, "a data box holds up to four pairs", text);
    Bytes bytes;
    for (std::size_t at = 0; at < text.size(); at += 3) {
        Require(text[at] == ' ' && IsUpperHexDigit(text[at + 1]) && IsUpperHexDigit(text[at + 2]),
                "each pair of a data box is a blank and two upper-case hex digits", text);
        bytes.push_back(static_cast<std::uint8_t>(LastHexDigitsValue(text.substr(at + 1, 2), 2)));
    }
    return bytes;
}

void CheckSlot(const HeadlessBoxes& boxes, const ParameterSlot& slot) {
    const Bytes record = DataBoxBytes(boxes.text(slot.dataBox));
    const std::string value = boxes.text(slot.valueBox);
    const bool framed = record.size() == 4 && record[0] == 0xCC && record[3] == 0xDD;
    if (!framed) {
        Require(value.empty(), "no value without a whole framed record", value);
        return;
    }
    const auto number = PlainWholeNumber(value);
    Require(number.has_value() && value.find_first_not_of("0123456789") == std::string::npos,
            "a value box holds plain digits", value);
    Require(value == "0" || value.front() != '0', "a value has no leading zero", value);
    Require(*number == record[1] * 256 + record[2], "the value is hh * 256 + ll", value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    VirtualClock clock;
    PlayedBoardPort port(clock, {data, size});
    HeadlessBoxes boxes;
    // What the user had typed, and an earlier read's records, must all be replaced.
    for (const ParameterSlot& slot : kParameterSlots) {
        boxes.setText(slot.valueBox, "12345");
        boxes.setText(slot.dataBox, " CC 30 39 DD");
    }
    StringLog log;
    AnsweringDialogs dialogs;
    OperationContext context{port, boxes, log, dialogs, clock};

    ReadParameters(context);

    for (const ParameterSlot& slot : kParameterSlots) {
        CheckSlot(boxes, slot);
    }
    Require(!port.portOpen(), "the port is closed after the read");
    Require(clock.elapsed() <= kLongestRead, "the read ends within its byte waits");
    if (port.hungUp()) {
        Require(log.text().find(kPortLostEntry) != std::string::npos, "a hang-up is logged",
                log.text());
        Require(dialogs.messages.size() == 1, "a hang-up is told to the user once");
    } else {
        Require(dialogs.messages.empty(), "a read on a live line shows no message");
    }
    return 0;
}
