// Reading the parameters: each slot's record out of the board's EEPROM, in slot order.

#include <algorithm>

#include "operations/parameters.h"
#include "operations/port_session.h"
#include "protocol/block_header.h"

namespace veloris {

namespace {

// A whole record is judged by its frame alone; a partial one by why it stopped.
RecordFault FaultOf(const SlotRead& read, bool echoed, bool lineLost) {
    if (read.record.size() == static_cast<std::size_t>(kRecordSize)) {
        return read.value ? RecordFault::None : RecordFault::Misframed;
    }
    if (lineLost) {
        return RecordFault::LineLost;
    }
    return echoed ? RecordFault::Short : RecordFault::NoEcho;
}

// One slot: the read header, then each record byte as the board sends it, echoed back.
SlotRead ReadSlot(PortSession& session, std::size_t slot, OperationProgress* progress) {
    ByteExchange& exchange = session.exchange();
    SlotRead read{kSlots[slot].key, {}, std::nullopt, RecordFault::None};
    const int count =
        SendHeader(exchange, kReadCommand, AddressText(kSlots[slot].address), kRecordSize);
    for (int position = 1; position <= count; ++position) {
        const ByteValue byte = exchange.ReceiveByte();
        if (byte < 0) {
            break;
        }
        exchange.SendByte(byte);
        read.record.push_back(static_cast<std::uint8_t>(byte));
        if (progress != nullptr) {
            progress->recordByte(slot, static_cast<std::uint8_t>(byte));
        }
    }
    read.value = FramedRecordValue(read.record);
    read.fault = FaultOf(read, count > 0, session.lost());
    return read;
}

} // namespace

bool ReadResult::complete() const {
    return slots.size() == kSlotCount && std::ranges::all_of(slots, [](const SlotRead& s) {
               return s.fault == RecordFault::None || s.fault == RecordFault::NotAsked;
           });
}

ReadResult ReadSlots(OperationLine& line, const SlotSelection& which) {
    ReadResult result;
    PortSession session(line);
    if (!session.opened()) {
        result.session = session.outcome();
        return result;
    }
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        SlotRead read{kSlots[slot].key, {}, std::nullopt, RecordFault::LineLost};
        if (!which[slot]) {
            read.fault = RecordFault::NotAsked;
        } else if (session.lost()) {
            // Nothing more can come: the slots left are told as lost without a wait.
        } else if (session.stopAsked()) {
            read.fault = RecordFault::NotReached;
        } else {
            session.beginSlot(slot);
            if (line.progress != nullptr) {
                line.progress->slotBegun(slot);
            }
            read = ReadSlot(session, slot, line.progress);
            if (line.progress != nullptr) {
                line.progress->slotEnded(slot);
            }
        }
        if (line.progress != nullptr) {
            line.progress->slotRead(slot, read);
        }
        result.slots.push_back(std::move(read));
    }
    session.close();
    result.session = session.outcome();
    return result;
}

} // namespace veloris
