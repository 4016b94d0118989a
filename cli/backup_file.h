#pragma once
// The backup file: a JSON document holding the four slots as a read found them.
//
//   {
//     "format": "veloris-parameters",
//     "version": 1,
//     "saved_utc": "2026-12-09T21:14:03Z",
//     "device": "/dev/ttyUSB0",
//     "slots": [
//       { "key": "sidereal", "address": "F894", "record": "CC 8C A0 DD", "value": 36000 },
//       ... guiding (F899), centring (F89E), tempo (F8A9)
//     ]
//   }
//
// A file is taken only when all of it holds: the format and version, each of the four keys
// once, each address the slot's own, each record four hex pairs framed CC ... DD, and each
// value the one its record codes.

#include <array>
#include <variant>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "operations/parameters.h"

namespace veloris::cli {

inline constexpr const char* kBackupFormat = "veloris-parameters";
inline constexpr int kBackupVersion = 1;
// A backup is some 500 bytes; a file much larger is not one, and is not read in whole.
inline constexpr qint64 kLargestBackupFile = 64 * 1024;

struct Backup {
    QString savedUtc;
    QString device;
    // In slot order; the values the records hold.
    std::array<std::uint16_t, kSlotCount> values{};
};

// The document for a complete read.
QByteArray BackupDocument(const ReadResult& read, const QString& device, const QDateTime& when);

// The backup a document holds, or why it is refused.
std::variant<Backup, QString> ParseBackup(const QByteArray& document);

// Reads and checks the file; refuses a file larger than kLargestBackupFile unread.
std::variant<Backup, QString> LoadBackup(const QString& path);

} // namespace veloris::cli
