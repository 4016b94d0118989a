#include "ui/operation_dialogs.h"

#include <QCoreApplication>
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

// Clicks and keys the byte waits held back, handed over while the window still takes them.
void DeliverHeldBackInput() {
    QCoreApplication::processEvents();
}

} // namespace

WaitCursor::WaitCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

void OperationDialogs::message(const std::string& text) {
    DeliverHeldBackInput();
    const ArrowCursor arrow;
    dialogs_.message(text);
}

std::string OperationDialogs::inputBox(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) {
    DeliverHeldBackInput();
    const ArrowCursor arrow;
    return dialogs_.inputBox(prompt, title, defaultText);
}

} // namespace veloris
