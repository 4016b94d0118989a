#include "cli/slot_words.h"

#include <QStringList>

#include "cli/texts.h"

namespace veloris::cli {

const SlotEntry& EntryOf(SlotKey key) {
    return kSlots[IndexOf(key)];
}

std::size_t IndexOf(SlotKey key) {
    return static_cast<std::size_t>(key);
}

QString RowName(SlotKey key) {
    switch (key) {
    case SlotKey::Sidereal:
        return Cli::tr("Sidereal speed");
    case SlotKey::Guiding:
        return Cli::tr("Guiding speed");
    case SlotKey::Centring:
        return Cli::tr("Centring speed");
    case SlotKey::Tempo:
        break;
    }
    return Cli::tr("Slow-to-fast delay");
}

QString KeyName(SlotKey key) {
    const std::string_view name = EntryOf(key).keyName;
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QString AddressText(std::uint16_t address) {
    return QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper();
}

QString RecordText(const Bytes& record) {
    QStringList pairs;
    for (const std::uint8_t byte : record) {
        pairs << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return pairs.join(u' ');
}

QString FaultText(RecordFault fault) {
    switch (fault) {
    case RecordFault::None:
        return {};
    case RecordFault::NoEcho:
        return Cli::tr("no answer from the board");
    case RecordFault::Short:
        return Cli::tr("record incomplete");
    case RecordFault::Misframed:
        return Cli::tr("record not framed CC ... DD");
    case RecordFault::NotReached:
        return Cli::tr("not read: stopped before it");
    case RecordFault::NotAsked:
        return Cli::tr("not read: not asked for");
    case RecordFault::LineLost:
        break;
    }
    return Cli::tr("line lost");
}

QString FaultName(RecordFault fault) {
    switch (fault) {
    case RecordFault::None:
        return QStringLiteral("none");
    case RecordFault::NoEcho:
        return QStringLiteral("no-echo");
    case RecordFault::Short:
        return QStringLiteral("short");
    case RecordFault::Misframed:
        return QStringLiteral("misframed");
    case RecordFault::NotReached:
        return QStringLiteral("not-reached");
    case RecordFault::NotAsked:
        return QStringLiteral("not-asked");
    case RecordFault::LineLost:
        break;
    }
    return QStringLiteral("line-lost");
}

QJsonObject SlotReadJson(const SlotRead& slot) {
    return {
        {QStringLiteral("key"), KeyName(slot.key)},
        {QStringLiteral("row"), RowName(slot.key)},
        {QStringLiteral("address"), AddressText(EntryOf(slot.key).address)},
        {QStringLiteral("record"), RecordText(slot.record)},
        {QStringLiteral("value"), slot.value ? QJsonValue(*slot.value) : QJsonValue()},
        {QStringLiteral("fault"), FaultName(slot.fault)},
    };
}

QString Column(const QString& text, int width) {
    return text.leftJustified(width);
}

} // namespace veloris::cli
