// "Ecriture EEPROM": codes the typed values and writes them into the board's EEPROM,
// slot by slot, under the slot guards.

#include <string>
#include <vector>

#include "operations/operations.h"
#include "operations/port_session.h"
#include "operations/value_check.h"
#include "protocol/block_header.h"
#include "protocol/hex_transfer.h"
#include "protocol/parameter_slots.h"

namespace veloris {

namespace {

bool IsWritten(const WindowBoxes& boxes, const ParameterSlot& slot) {
    return !boxes.text(slot.guardBox).empty();
}

std::string RowName(const ParameterSlot& slot) {
    std::string name(slot.rowLabel);
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

// A value text as the refusal names it: whole when short; otherwise its start and its
// length, since a page of pasted text would make a message box taller than the screen,
// with its OK button out of reach.
constexpr std::size_t kLongestNamedText = 40; // characters

bool StartsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80; // not a UTF-8 continuation byte
}

std::string NamedText(const std::string& text) {
    std::size_t characters = 0;
    std::size_t cut = text.size();
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (StartsCharacter(text[at])) {
            if (characters == kLongestNamedText) {
                cut = at;
            }
            ++characters;
        }
    }
    if (characters <= kLongestNamedText) {
        return text;
    }
    return text.substr(0, cut) + "… (" + std::to_string(characters) + " caractères)";
}

// Each slot about to be written must hold a whole number from 0 to 65535; the lenient
// coding would otherwise write 0 for "abc" and wrap 70000 into 4464.
std::vector<std::string> RefusedValues(const WindowBoxes& boxes) {
    std::vector<std::string> refused;
    for (const ParameterSlot& slot : kParameterSlots) {
        if (!IsWritten(boxes, slot)) {
            continue;
        }
        const std::string value = boxes.text(slot.valueBox);
        if (!WritableValue(value)) {
            refused.push_back(RowName(slot) + " : « " + NamedText(value) + " »");
        }
    }
    return refused;
}

std::string JoinedLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const auto& line : lines) {
        joined += "\n    " + line;
    }
    return joined;
}

// One slot: the record goes into the data box, then the write header and the record
// itself. True when the board echoed the command and every record byte unchanged.
bool WriteSlot(ByteExchange& exchange, WindowBoxes& boxes, const ParameterSlot& slot) {
    boxes.setText(slot.dataBox, EncodeValue(boxes.text(slot.valueBox)));
    const int count = SendHeader(exchange, kWriteCommand, boxes.text(slot.addressBox), kRecordSize);
    const HexTransfer transfer = TransferHexBytes(exchange, boxes.text(slot.dataBox), kRecordSize);
    return count == kRecordSize && transfer.echoedAll(kRecordSize);
}

} // namespace

void WriteParameters(OperationContext& context) {
    const auto refused = RefusedValues(context.boxes);
    if (!refused.empty()) {
        context.dialogs.message("Rien n'a été écrit : ces valeurs ne sont pas des nombres "
                                "entiers de 0 à 65535." +
                                JoinedLines(refused) + "\nCorrigez-les, puis recommencez.");
        return;
    }

    PortSession session(context);
    if (!session.opened()) {
        return;
    }
    std::vector<std::string> unconfirmed;
    for (const ParameterSlot& slot : kParameterSlots) {
        if (session.lost()) {
            break;
        }
        if (!IsWritten(context.boxes, slot)) {
            continue;
        }
        if (!WriteSlot(session.exchange(), context.boxes, slot)) {
            // The box must not claim a record the board may not hold.
            context.boxes.setText(slot.dataBox, "");
            unconfirmed.push_back(RowName(slot));
        }
    }
    session.close();

    if (!unconfirmed.empty()) {
        context.dialogs.message(
            "La carte n'a pas confirmé l'écriture de :" + JoinedLines(unconfirmed) +
            "\nVérifiez la liaison, puis relisez les valeurs avec « Lecture "
            "EEPROM » avant d'écrire à nouveau.");
    }
}

} // namespace veloris
