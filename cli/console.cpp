#include "cli/console.h"

#include <QJsonDocument>

namespace veloris::cli {

namespace {

void Write(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void Console::say(const QString& line) const {
    if (!json_ && !quiet_) {
        // Padded table columns leave blanks at the end of a row.
        QString trimmed = line;
        while (trimmed.endsWith(u' ')) {
            trimmed.chop(1);
        }
        Write(stdout, (trimmed + u'\n').toUtf8());
    }
}

void Console::error(const QString& line) const {
    Write(stderr, (line + u'\n').toUtf8());
}

void Console::document(const QJsonObject& report) const {
    if (json_) {
        Write(stdout, QJsonDocument(report).toJson(QJsonDocument::Indented));
    }
}

} // namespace veloris::cli
