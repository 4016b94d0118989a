#pragma once
// The plain C++ side speaks UTF-8 std::string; Qt speaks QString.

#include <string>
#include <string_view>

#include <QString>

namespace veloris {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace veloris
