#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include "ui/qt_text.h"

namespace veloris {

void QtDialogs::message(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(kApplicationTitle), ToQString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setModal(true);
    box.exec();
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                const std::string& defaultText) {
    bool accepted = false;
    const QString answer =
        QInputDialog::getText(QApplication::activeWindow(), ToQString(title), ToQString(prompt),
                              QLineEdit::Normal, ToQString(defaultText), &accepted);
    return accepted ? ToUtf8(answer) : std::string();
}

} // namespace veloris
