#pragma once
// The slots and what became of them, in words and in JSON.

#include <cstddef>

#include <QJsonObject>
#include <QString>

#include "operations/parameters.h"

namespace veloris::cli {

const SlotEntry& EntryOf(SlotKey key);
std::size_t IndexOf(SlotKey key);

// The slot's row name for people, e.g. "Sidereal speed".
QString RowName(SlotKey key);
QString KeyName(SlotKey key);
// Four upper-case hex digits, as the window's address boxes show it: "F894".
QString AddressText(std::uint16_t address);
// Hex byte pairs with single spaces: "CC 00 64 DD".
QString RecordText(const Bytes& record);

// Why a record did not come whole; empty for RecordFault::None.
QString FaultText(RecordFault fault);
QString FaultName(RecordFault fault); // for --json: "none", "no-echo", ...

// A slot as read, for --json: key, row, address, record, value (or null), fault.
QJsonObject SlotReadJson(const SlotRead& slot);

// Left-aligned in `width` characters, for the columns of a table.
QString Column(const QString& text, int width);

} // namespace veloris::cli
