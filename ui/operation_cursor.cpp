#include "ui/operation_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace veloris {

namespace {

class ArrowCursor {
  public:
    ArrowCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }
    ~ArrowCursor() { QGuiApplication::restoreOverrideCursor(); }
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;
};

} // namespace

WaitCursor::WaitCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

void ArrowOverDialogs::message(const std::string& text) {
    const ArrowCursor arrow;
    dialogs_.message(text);
}

std::string ArrowOverDialogs::inputBox(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) {
    const ArrowCursor arrow;
    return dialogs_.inputBox(prompt, title, defaultText);
}

} // namespace veloris
