// "Lecture EEPROM": reads the four parameter records out of the board's EEPROM.

#include <vector>

#include "operations/operations.h"
#include "operations/port_session.h"
#include "protocol/block_header.h"
#include "protocol/parameter_slots.h"

namespace veloris {

namespace {

// The value box shows a value only for a whole record framed CC ... DD: a partial or
// misframed record would otherwise show a number the board does not hold, and a later
// write would store it.
std::string ValueText(const std::vector<std::uint8_t>& record) {
    if (record.size() != kRecordSize || record.front() != kRecordOpen ||
        record.back() != kRecordClose) {
        return "";
    }
    return std::to_string(RecordValue(record[1], record[2]));
}

// One slot: the read header, then each record byte as the board sends it, echoed back.
void ReadSlot(ByteExchange& exchange, WindowBoxes& boxes, const ParameterSlot& slot) {
    const int count = SendHeader(exchange, kReadCommand, boxes.text(slot.addressBox), kRecordSize);
    std::vector<std::uint8_t> record;
    for (int position = 1; position <= count; ++position) {
        const ByteValue byte = exchange.ReceiveByte();
        if (byte < 0) {
            break;
        }
        exchange.SendByte(byte);
        record.push_back(static_cast<std::uint8_t>(byte));
        boxes.setText(slot.dataBox, boxes.text(slot.dataBox) + " " + HexByte(byte));
    }
    boxes.setText(slot.valueBox, ValueText(record));
}

} // namespace

void ReadParameters(OperationContext& context) {
    for (const ParameterSlot& slot : kParameterSlots) {
        context.boxes.setText(slot.dataBox, "");
    }
    PortSession session(context);
    if (!session.opened()) {
        return;
    }
    for (const ParameterSlot& slot : kParameterSlots) {
        if (session.lost()) {
            context.boxes.setText(slot.valueBox, "");
            continue;
        }
        ReadSlot(session.exchange(), context.boxes, slot);
    }
    session.close();
}

} // namespace veloris
