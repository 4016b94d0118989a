#include "ui/program_log_box.h"

#include "ui/qt_text.h"

namespace veloris {

ProgramLogBox::ProgramLogBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Read-only boxes still take the focus and let the keyboard select, so the board's
    // answer can be copied out.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void ProgramLogBox::setStoredText(std::string text) {
    stored_ = std::move(text);
    setPlainText(ToQString(stored_));
}

} // namespace veloris
