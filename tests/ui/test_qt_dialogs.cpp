// The operations' message and input boxes as the user meets them.

#include <functional>

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "ui/qt_dialogs.h"

using veloris::QtDialogs;

namespace {

// Waits for the next modal box and hands it to `act` once it shows.
void WhenModalShows(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start(10);
}

} // namespace

class TestQtDialogs : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void messageHasOneOkNoIconAndTheTitle();
    void inputBoxGivesTheTextTyped();
    void inputBoxGivesEmptyOnCancel();
};

void TestQtDialogs::messageHasOneOkNoIconAndTheTitle() {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    WhenModalShows([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        QVERIFY(box != nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        modal = box->isModal();
        box->button(QMessageBox::Ok)->click();
    });
    QtDialogs dialogs;
    dialogs.message("erreur init com debug");
    QCOMPARE(title, QString("VELORIS"));
    QCOMPARE(text, QString("erreur init com debug"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(modal);

    WhenModalShows([&](QWidget* widget) {
        text = qobject_cast<QMessageBox*>(widget)->text();
        QTest::keyClick(widget, Qt::Key_Return);
    });
    dialogs.message("télescope arrêté?");
    QCOMPARE(text, QString::fromUtf8("télescope arrêté?"));
}

void TestQtDialogs::inputBoxGivesTheTextTyped() {
    QString title;
    QString prompt;
    QString offered;
    WhenModalShows([&](QWidget* widget) {
        auto* dialog = qobject_cast<QInputDialog*>(widget);
        QVERIFY(dialog != nullptr);
        title = dialog->windowTitle();
        prompt = dialog->labelText();
        offered = dialog->textValue();
        dialog->setTextValue("/home/user/cinetik5.S19");
        dialog->accept();
    });
    QtDialogs dialogs;
    const std::string answer =
        dialogs.inputBox("Chemin et nom du fichier à charger", "EEPROM", "C:\\.S19");
    QCOMPARE(answer, std::string("/home/user/cinetik5.S19"));
    QCOMPARE(title, QString("EEPROM"));
    QCOMPARE(prompt, QString::fromUtf8("Chemin et nom du fichier à charger"));
    QCOMPARE(offered, QString("C:\\.S19"));

    // OK on the offered text gives that text.
    WhenModalShows([](QWidget* widget) { qobject_cast<QInputDialog*>(widget)->accept(); });
    QCOMPARE(dialogs.inputBox("p", "EEPROM", "C:\\.S19"), std::string("C:\\.S19"));
}

void TestQtDialogs::inputBoxGivesEmptyOnCancel() {
    QtDialogs dialogs;
    WhenModalShows([](QWidget* widget) { qobject_cast<QInputDialog*>(widget)->reject(); });
    QCOMPARE(dialogs.inputBox("p", "EEPROM", "C:\\.S19"), std::string());

    // Clearing the field and clicking OK gives the empty text too.
    WhenModalShows([](QWidget* widget) {
        auto* dialog = qobject_cast<QInputDialog*>(widget);
        dialog->setTextValue("");
        dialog->accept();
    });
    QCOMPARE(dialogs.inputBox("p", "EEPROM", "C:\\.S19"), std::string());
}

QTEST_MAIN(TestQtDialogs)
#include "test_qt_dialogs.moc"
