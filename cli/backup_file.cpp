#include "cli/backup_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "cli/slot_words.h"
#include "cli/texts.h"

namespace veloris::cli {

namespace {

const QString kFormatKey = QStringLiteral("format");
const QString kVersionKey = QStringLiteral("version");
const QString kSavedKey = QStringLiteral("saved_utc");
const QString kDeviceKey = QStringLiteral("device");
const QString kSlotsKey = QStringLiteral("slots");
const QString kKeyKey = QStringLiteral("key");
const QString kAddressKey = QStringLiteral("address");
const QString kRecordKey = QStringLiteral("record");
const QString kValueKey = QStringLiteral("value");

std::optional<std::size_t> SlotNamed(const QString& key) {
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        if (key == KeyName(kSlots[i].key)) {
            return i;
        }
    }
    return std::nullopt;
}

// A whole JSON number in [low, high]; JSON numbers are doubles, so 1.5 and 1e300 are not.
std::optional<int> WholeNumber(const QJsonValue& value, int low, int high) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (!(number >= low && number <= high) || number != static_cast<int>(number)) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

// The record's four bytes from "CC 00 64 DD", or nothing.
std::optional<Bytes> RecordBytes(const QString& text) {
    static const QRegularExpression pairs(
        QStringLiteral("^([0-9A-Fa-f]{2}) ([0-9A-Fa-f]{2}) ([0-9A-Fa-f]{2}) ([0-9A-Fa-f]{2})$"));
    const QRegularExpressionMatch match = pairs.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    Bytes bytes;
    for (int i = 1; i <= kRecordSize; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(match.captured(i).toUInt(nullptr, 16)));
    }
    return bytes;
}

// Checks one entry of "slots" and stores its value; the reason it is refused otherwise.
std::optional<QString> TakeSlot(const QJsonValue& entry, int place, Backup& backup,
                                std::array<bool, kSlotCount>& seen) {
    const QString where = Cli::tr("slot %1").arg(place + 1);
    if (!entry.isObject()) {
        return Cli::tr("%1 is not an object.").arg(where);
    }
    const QJsonObject slot = entry.toObject();
    const QString key = slot.value(kKeyKey).toString();
    const auto index = SlotNamed(key);
    if (!index) {
        return Cli::tr("%1: unknown key \"%2\".").arg(where, key);
    }
    if (seen[*index]) {
        return Cli::tr("the key \"%1\" comes twice.").arg(key);
    }
    seen[*index] = true;
    const QString address = AddressText(kSlots[*index].address);
    if (slot.value(kAddressKey).toString().toUpper() != address) {
        return Cli::tr("%1: the address is not %2.").arg(key, address);
    }
    const auto record = RecordBytes(slot.value(kRecordKey).toString());
    if (!record) {
        return Cli::tr("%1: the record is not four hex byte pairs.").arg(key);
    }
    if (record->front() != kRecordOpen || record->back() != kRecordClose) {
        return Cli::tr("%1: the record is not framed CC ... DD.").arg(key);
    }
    const auto value = WholeNumber(slot.value(kValueKey), 0, 65535);
    if (!value) {
        return Cli::tr("%1: the value is not a whole number from 0 to 65535.").arg(key);
    }
    if (*value != RecordValue((*record)[1], (*record)[2])) {
        return Cli::tr("%1: the value %2 is not the one the record holds (%3).")
            .arg(key)
            .arg(*value)
            .arg(RecordValue((*record)[1], (*record)[2]));
    }
    backup.values[*index] = static_cast<std::uint16_t>(*value);
    return std::nullopt;
}

} // namespace

QByteArray BackupDocument(const ReadResult& read, const QString& device, const QDateTime& when) {
    QJsonArray slots;
    for (const SlotRead& slot : read.slots) {
        slots.append(QJsonObject{
            {kKeyKey, KeyName(slot.key)},
            {kAddressKey, AddressText(EntryOf(slot.key).address)},
            {kRecordKey, RecordText(slot.record)},
            {kValueKey, slot.value ? QJsonValue(*slot.value) : QJsonValue()},
        });
    }
    const QJsonObject root{
        {kFormatKey, QString::fromLatin1(kBackupFormat)},
        {kVersionKey, kBackupVersion},
        {kSavedKey, when.toUTC().toString(Qt::ISODate)},
        {kDeviceKey, device},
        {kSlotsKey, slots},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::variant<Backup, QString> ParseBackup(const QByteArray& document) {
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError) {
        return Cli::tr("it is not JSON (%1 at byte %2).")
            .arg(error.errorString())
            .arg(error.offset);
    }
    if (!json.isObject()) {
        return Cli::tr("it is not a JSON object.");
    }
    const QJsonObject root = json.object();
    if (root.value(kFormatKey).toString() != QLatin1String(kBackupFormat)) {
        return Cli::tr("it is not a VELORIS parameter backup (\"format\" is not \"%1\").")
            .arg(QLatin1String(kBackupFormat));
    }
    const QJsonValue version = root.value(kVersionKey);
    if (WholeNumber(version, kBackupVersion, kBackupVersion) != kBackupVersion) {
        return Cli::tr("its version is %1; this program reads version %2.")
            .arg(version.isDouble() ? QString::number(version.toDouble())
                                    : Cli::tr("missing or not a number"))
            .arg(kBackupVersion);
    }
    const QJsonValue slots = root.value(kSlotsKey);
    if (!slots.isArray() || slots.toArray().size() != static_cast<qsizetype>(kSlotCount)) {
        return Cli::tr("\"slots\" does not hold exactly four slots.");
    }
    Backup backup;
    backup.savedUtc = root.value(kSavedKey).toString();
    backup.device = root.value(kDeviceKey).toString();
    std::array<bool, kSlotCount> seen{};
    int place = 0;
    for (const QJsonValue& entry : slots.toArray()) {
        if (auto refusal = TakeSlot(entry, place++, backup, seen)) {
            return *refusal;
        }
    }
    return backup;
}

std::variant<Backup, QString> LoadBackup(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Cli::tr("it cannot be read (%1).").arg(file.errorString());
    }
    // Read one byte past the limit rather than trust the size a FIFO or /proc file gives.
    const QByteArray content = file.read(kLargestBackupFile + 1);
    if (content.size() > kLargestBackupFile) {
        return Cli::tr("it is larger than %1 bytes; a backup is far smaller.")
            .arg(kLargestBackupFile);
    }
    return ParseBackup(content);
}

} // namespace veloris::cli
