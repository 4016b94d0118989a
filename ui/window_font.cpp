#include "ui/window_font.h"

#include <QStringList>

#include "ui/control_table.h"
#include "ui/qt_text.h"

namespace veloris {

void RegisterWindowFontFallback() {
    if (!QFont::substitutes(ToQString(kWindowFontFamily))
             .contains(ToQString(kFallbackFontFamily))) {
        QFont::insertSubstitution(ToQString(kWindowFontFamily), ToQString(kFallbackFontFamily));
    }
}

QFont WindowFont() {
    RegisterWindowFontFallback();
    QFont font(ToQString(kWindowFontFamily));
    font.setPointSizeF(kWindowFontPoints);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

} // namespace veloris
