// Writing the parameters: each value asked for coded into its record and written into the
// board's EEPROM, slot by slot.

#include <algorithm>

#include "operations/parameters.h"
#include "operations/port_session.h"
#include "protocol/block_header.h"
#include "protocol/hex_transfer.h"

namespace veloris {

namespace {

Bytes RecordOf(std::uint16_t value) {
    return {kRecordOpen, static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value & 0xFF), kRecordClose};
}

// The first byte that did not come back as it went: the command's echo, then each
// record byte's. Nothing when all came back right.
std::optional<FailedByte> FirstFailure(const OpenedBlock& block, const HexTransfer& transfer) {
    if (block.count != kRecordSize) {
        return FailedByte{FailedByte::Stage::CommandEcho, 0, block.echo};
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(kRecordSize); ++i) {
        const ByteValue received =
            i < transfer.received.size() ? transfer.received[i] : kTimeoutMarker;
        if (i >= transfer.sent.size() || received != transfer.sent[i]) {
            return FailedByte{FailedByte::Stage::RecordEcho, static_cast<int>(i) + 1, received};
        }
    }
    return std::nullopt;
}

// One slot: the write header, then the record itself with the board's echoes.
SlotWrite WriteSlot(ByteExchange& exchange, std::size_t slot, std::uint16_t value) {
    SlotWrite write{kSlots[slot].key, SlotWrite::Status::Confirmed, RecordOf(value), {}};
    const OpenedBlock block =
        OpenBlock(exchange, kWriteCommand, AddressText(kSlots[slot].address), kRecordSize);
    const HexTransfer transfer =
        TransferHexBytes(exchange, EncodeValue(std::to_string(value)), kRecordSize);
    write.firstFailure = FirstFailure(block, transfer);
    if (write.firstFailure) {
        write.status = SlotWrite::Status::NotConfirmed;
    }
    return write;
}

} // namespace

bool WriteResult::allConfirmed() const {
    return session.state != SessionOutcome::State::NotOpened &&
           std::ranges::all_of(slots, [](const SlotWrite& s) {
               return s.status == SlotWrite::Status::Confirmed ||
                      s.status == SlotWrite::Status::Skipped;
           });
}

WriteResult WriteSlots(OperationLine& line, const WriteRequest& request) {
    WriteResult result;
    PortSession session(line);
    if (!session.opened()) {
        result.session = session.outcome();
        return result;
    }
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const std::optional<std::uint16_t> value = request.values[slot];
        SlotWrite write{kSlots[slot].key, SlotWrite::Status::Skipped, {}, {}};
        if (!value) {
            // Not asked for: nothing is sent.
        } else if (session.lost() || session.stopAsked()) {
            write.status = SlotWrite::Status::NotReached;
        } else {
            session.beginSlot(slot);
            if (line.progress != nullptr) {
                line.progress->slotBegun(slot);
            }
            write = WriteSlot(session.exchange(), slot, *value);
            if (line.progress != nullptr) {
                line.progress->slotEnded(slot);
            }
        }
        if (line.progress != nullptr) {
            line.progress->slotWritten(slot, write);
        }
        result.slots.push_back(std::move(write));
    }
    session.close();
    result.session = session.outcome();
    return result;
}

} // namespace veloris
