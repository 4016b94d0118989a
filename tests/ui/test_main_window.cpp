// The window as it opens and as it reacts: layout against our own copy of the designer's
// numbers, colours as drawn, focus order, the port choice, and the operation buttons.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

#include "protocol/parameter_slots.h"
#include "ui/control_table.h"
#include "ui/main_window.h"
#include "window_test_doubles.h"

using namespace veloris;
using namespace veloris::testing;

namespace {

enum class Fill { Orange, LightOrange, SystemBase, SystemButton };

struct Expected {
    const char* name;
    const char* qtClass;
    const char* parent;
    QRect pixels;
    const char* text;
    Fill fill;
    bool enabled;
    const char* tooltip;
};

// The designer's layout in pixels (twips / 15), written out independently of the table.
// clang-format off
const std::array<Expected, 38> kExpected{{
    {"Frame1",            "QFrame",         "FRMprogram", {8, 8, 257, 25},     "",               Fill::LightOrange,  true,  ""},
    {"COM1",              "QRadioButton",   "Frame1",     {8, 0, 57, 17},      "COM1",           Fill::LightOrange,  true,  ""},
    {"COM2",              "QRadioButton",   "Frame1",     {64, 0, 65, 17},     "COM2",           Fill::LightOrange,  true,  ""},
    {"COM3",              "QRadioButton",   "Frame1",     {128, 0, 57, 17},    "COM3",           Fill::LightOrange,  true,  ""},
    {"COM4",              "QRadioButton",   "Frame1",     {192, 0, 57, 17},    "COM4",           Fill::LightOrange,  true,  ""},
    {"Label13",           "QLabel",         "FRMprogram", {328, 0, 193, 17},   "Compatible 68HC11 \"cinetik5\"", Fill::Orange, true, ""},
    {"Label6",            "QLabel",         "FRMprogram", {16, 48, 73, 17},    "Vitesses :",     Fill::Orange,       true,  ""},
    {"Label1",            "QLabel",         "FRMprogram", {104, 48, 49, 17},   "Address",        Fill::Orange,       true,  ""},
    {"Label2",            "QLabel",         "FRMprogram", {160, 48, 105, 17},  "Data (Hex)",     Fill::Orange,       true,  ""},
    {"Label4",            "QLabel",         "FRMprogram", {272, 48, 73, 17},   "Valeur (Dec)",   Fill::Orange,       true,  ""},
    {"Label10",           "QLabel",         "FRMprogram", {360, 48, 153, 105}, "Les valeurs à lire ou entrer ici doivent être des entiers inférieur à 36000. Chaque valeur correspond à une temporisation entre chaque micropas. Il est conseillé de lire avant d'écrire.", Fill::Orange, true, ""},
    {"Label5",            "QLabel",         "FRMprogram", {16, 64, 73, 17},    "- sidéral ",     Fill::Orange,       true,  "Vitesse de suivi sidéral"},
    {"Taddr1",            "QLineEdit",      "FRMprogram", {104, 64, 41, 19},   "F894",           Fill::LightOrange,  false, ""},
    {"Tdata1",            "QLineEdit",      "FRMprogram", {160, 64, 105, 19},  "",               Fill::LightOrange,  false, ""},
    {"TValeur1",          "QLineEdit",      "FRMprogram", {272, 64, 65, 19},   "",               Fill::SystemBase,   true,  ""},
    {"Label7",            "QLabel",         "FRMprogram", {16, 80, 73, 17},    "- rattrapage",   Fill::Orange,       true,  "Vitesse lente pour autoguidage ou rappel photographique"},
    {"Taddr2",            "QLineEdit",      "FRMprogram", {104, 80, 41, 19},   "F899",           Fill::LightOrange,  false, ""},
    {"Tdata2",            "QLineEdit",      "FRMprogram", {160, 80, 105, 19},  "",               Fill::LightOrange,  false, ""},
    {"TValeur2",          "QLineEdit",      "FRMprogram", {272, 80, 65, 19},   "",               Fill::SystemBase,   true,  ""},
    {"Label8",            "QLabel",         "FRMprogram", {16, 96, 73, 17},    "- centrage",     Fill::Orange,       true,  "Vitesse lente raquette standard"},
    {"Taddr3",            "QLineEdit",      "FRMprogram", {104, 96, 41, 19},   "F89E",           Fill::LightOrange,  false, ""},
    {"Tdata3",            "QLineEdit",      "FRMprogram", {160, 96, 105, 19},  "",               Fill::LightOrange,  false, ""},
    {"Tvaleur3",          "QLineEdit",      "FRMprogram", {272, 96, 65, 19},   "",               Fill::SystemBase,   true,  ""},
    {"Label9",            "QLabel",         "FRMprogram", {16, 112, 73, 17},   "- rapide",       Fill::Orange,       true,  "Vitesse rapide de la raquette standard"},
    {"Text1",             "QLineEdit",      "FRMprogram", {160, 112, 105, 19}, "Non modifiable", Fill::LightOrange,  false, ""},
    {"Label12",           "QLabel",         "FRMprogram", {16, 152, 73, 25},   "Tempo PV/GV :",  Fill::Orange,       true,  "Temporisation de passage de PV en GV sur la raquette standard"},
    {"TaddrTempo",        "QLineEdit",      "FRMprogram", {104, 160, 41, 19},  "F8A9",           Fill::LightOrange,  false, ""},
    {"TdataTempo",        "QLineEdit",      "FRMprogram", {160, 160, 105, 19}, "",               Fill::LightOrange,  false, ""},
    {"TvaleurTempo",      "QLineEdit",      "FRMprogram", {272, 160, 65, 19},  "",               Fill::SystemBase,   true,  ""},
    {"Label3",            "QLabel",         "FRMprogram", {16, 200, 249, 17},  "Communication (9600 baud, 8 bit, -pty)", Fill::Orange, true, ""},
    {"Tcomm",             "QLineEdit",      "FRMprogram", {16, 216, 249, 19},  "",               Fill::LightOrange,  true,  ""},
    {"Label11",           "QLabel",         "FRMprogram", {336, 216, 121, 97}, "Pour prendre en compte une écriture, il est nécessaire d'éteindre le module électronique VELORIS et de le redémarrer", Fill::Orange, true, ""},
    {"Label14",           "QLabel",         "FRMprogram", {8, 240, 129, 73},   "Permet de changer le programme du microcontrôleur contenu sur la carte de commande.", Fill::Orange, true, ""},
    {"EDTprg",            "QPlainTextEdit", "FRMprogram", {136, 240, 121, 105}, "Programme à charger...\n", Fill::SystemBase, true, ""},
    {"BTNcharge_program", "QPushButton",    "FRMprogram", {8, 312, 129, 33},   "Charger programme dans EEPROM", Fill::SystemButton, true, ""},
    {"CmdRead",           "QPushButton",    "FRMprogram", {264, 312, 65, 33},  "Lecture EEPROM", Fill::SystemButton,   true,  ""},
    {"CmdWrite",          "QPushButton",    "FRMprogram", {336, 312, 65, 33},  "Ecriture EEPROM", Fill::SystemButton,  true,  ""},
    {"CmdExit",           "QPushButton",    "FRMprogram", {448, 312, 65, 33},  "Sortie",         Fill::SystemButton,   true,  ""},
}};
// clang-format on

const QColor kDarkRedPixel(192, 0, 0);
const QColor kOrangePixel(255, 128, 0);
const QColor kLightOrangePixel(255, 192, 128);

const std::vector<QString> kTabStops{"CmdExit",      "CmdRead",           "COM1",     "Tcomm",
                                     "CmdWrite",     "TValeur1",          "TValeur2", "Tvaleur3",
                                     "TvaleurTempo", "BTNcharge_program", "EDTprg"};

QString DisplayedText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* line = qobject_cast<const QLineEdit*>(widget)) {
        return line->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(widget)) {
        return edit->toPlainText();
    }
    return {};
}

// The bottom of the ink of `text` word-wrapped to `width`: the last line's descent counts
// only as far as its glyphs reach below the baseline.
qreal InkBottom(const QFont& font, const QString& text, qreal width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    QTextLine last;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        last = line;
    }
    layout.endLayout();
    const QString lastText = text.mid(last.textStart(), last.textLength());
    return last.y() + last.ascent() + QFontMetricsF(font).tightBoundingRect(lastText).bottom();
}

// The widest word of `text` in `font`.
qreal WidestWord(const QFont& font, const QString& text) {
    qreal widest = 0;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        widest = std::max(widest, QFontMetricsF(font).horizontalAdvance(word));
    }
    return widest;
}

class WindowUnderTest {
  public:
    RecordingPort* port = nullptr;
    ScriptedDialogs* dialogs = nullptr;
    std::vector<int> tooltipsAsked;
    std::vector<std::string> tooltipAnswers{"/dev/ttyS0", "/dev/ttyUSB0 — FT232R USB UART"};
    std::unique_ptr<FRMprogram> window;

    WindowUnderTest() {
        auto recordingPort = std::make_unique<RecordingPort>();
        auto scriptedDialogs = std::make_unique<ScriptedDialogs>();
        port = recordingPort.get();
        dialogs = scriptedDialogs.get();
        WindowServices services{
            std::move(recordingPort),
            std::move(scriptedDialogs),
            std::make_unique<SteppingClock>(),
            [this](int n) {
                tooltipsAsked.push_back(n);
                return tooltipAnswers[(tooltipsAsked.size() - 1) % tooltipAnswers.size()];
            },
            QString(),
            {},
            nullptr};
        window = std::make_unique<FRMprogram>(std::move(services));
    }

    template <typename T = QWidget> T* find(const char* name) const {
        T* widget = window->findChild<T*>(QString::fromUtf8(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    QAbstractButton* button(const char* name) const { return find<QAbstractButton>(name); }
    QString text(const char* name) const { return DisplayedText(find(name)); }

    void showExposed() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // Focus and typing need the window active; Qt's offscreen platform activates on request.
    void showActive() {
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void everyControlMatchesTheLayout();
    void windowCaptionSizeAndFont();
    void coloursAsDrawn();
    void textsFitTheirBoxes();
    void startState();
    void slotRowsMatchTheParameterSlots();
    void boxesReadAndWriteUtf8();
    void userCanTypeOnlyWhereAllowed();
    void focusChainFollowsTabIndexes();
    void tabKeyVisitsStopsInOrder();
    void portChoiceOnlySetsTheNumber();
    void comTooltipsAreAskedAfresh();
    void exitClosesTheWindow();
    void eachButtonRunsItsOperation();
    void closeDuringAnOperationWaitsForItsEnd();
    void noHandlerRunsInsideAnother();
    void byteWaitsKeepTheWindowServed();
    void waitCursorWhileAnOperationRuns();
};

void TestMainWindow::everyControlMatchesTheLayout() {
    WindowUnderTest t;
    const QPalette platform = QApplication::palette();
    int controls = 0;
    for (const Expected& e : kExpected) {
        const QWidget* w = t.find(e.name);
        ++controls;
        const QByteArray where = QByteArray("control ") + e.name;
        QVERIFY2(w->inherits(e.qtClass), where);
        QCOMPARE(w->parentWidget()->objectName(), QString::fromUtf8(e.parent));
        QCOMPARE(w->geometry(), e.pixels);
        QCOMPARE(DisplayedText(w), QString::fromUtf8(e.text));
        QVERIFY2(w->isEnabled() == e.enabled, where);
        QCOMPARE(w->toolTip(), QString::fromUtf8(e.tooltip));
        QVERIFY2(w->font() == t.window->font(), where);

        switch (e.fill) {
        case Fill::Orange:
        case Fill::LightOrange: {
            const QColor wanted = e.fill == Fill::Orange ? kOrangePixel : kLightOrangePixel;
            const bool isBox = w->inherits("QLineEdit");
            const QPalette::ColorRole role = isBox ? QPalette::Base : w->backgroundRole();
            QCOMPARE(w->palette().color(role), wanted);
            QVERIFY2(isBox || w->autoFillBackground(), where);
            break;
        }
        case Fill::SystemBase:
            QCOMPARE(w->palette().color(QPalette::Base), platform.color(QPalette::Base));
            break;
        case Fill::SystemButton:
            QCOMPARE(w->palette().color(QPalette::Button), platform.color(QPalette::Button));
            break;
        }
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            QVERIFY2(label->wordWrap(), where);
        }
        if (const auto* line = qobject_cast<const QLineEdit*>(w)) {
            QVERIFY2(!line->isReadOnly(), where);
        }
    }
    // Nothing more on the window than the table: one widget per row.
    QCOMPARE(t.window->findChildren<QLabel*>().size(), 14);
    QCOMPARE(t.window->findChildren<QLineEdit*>().size(), 14);
    QCOMPARE(t.window->findChildren<QAbstractButton*>().size(), 8);
    QCOMPARE(controls, 38);

    const auto* log = t.find<QPlainTextEdit>("EDTprg");
    QVERIFY(log->isReadOnly());
    QCOMPARE(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(log->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    QVERIFY(log->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
}

void TestMainWindow::windowCaptionSizeAndFont() {
    WindowUnderTest t;
    FRMprogram& w = *t.window;
    QCOMPARE(w.objectName(), QString("FRMprogram"));
    QCOMPARE(w.windowTitle(), QString("Electronic VELORIS interface - V1.1"));
    QCOMPARE(w.size(), QSize(522, 347));
    QCOMPARE(w.minimumSize(), QSize(522, 347));
    QCOMPARE(w.maximumSize(), QSize(522, 347));

    QCOMPARE(w.font().family(), QString("MS Sans Serif"));
    QCOMPARE(w.font().pointSizeF(), 8.25);
    QCOMPARE(w.font().weight(), QFont::Bold);
    QVERIFY(!w.font().italic() && !w.font().underline() && !w.font().strikeOut());
    // The designer's face is not on Linux: it must land on the metric-compatible one, at
    // the 11 pixels that 8.25 points make at 96 dpi.
    const QFontInfo resolved(w.font());
    QCOMPARE(resolved.family(), QString("Liberation Sans"));
    QCOMPARE(resolved.pixelSize(), 11);
    QVERIFY(resolved.bold());
    // No control has a font of its own.
    for (const QWidget* child : w.findChildren<QWidget*>()) {
        QVERIFY2(!child->testAttribute(Qt::WA_SetFont), qPrintable(child->objectName()));
    }

    WindowServices demo{std::make_unique<RecordingPort>(),
                        std::make_unique<ScriptedDialogs>(),
                        std::make_unique<SteppingClock>(),
                        {},
                        QStringLiteral(" (démo)"),
                        {},
                        nullptr};
    FRMprogram demoWindow(std::move(demo));
    QCOMPARE(demoWindow.windowTitle(), QString("Electronic VELORIS interface - V1.1 (démo)"));
}

void TestMainWindow::coloursAsDrawn() {
    WindowUnderTest t;
    const QImage image = t.window->grab().toImage();
    const QColor platformBase = QApplication::palette().color(QPalette::Base);
    auto pixel = [&](const char* name, QPoint inside) {
        const QWidget* w = t.find(name);
        return image.pixelColor(w->mapTo(t.window.get(), inside));
    };
    // Window background in the gaps between controls and around them.
    QCOMPARE(image.pixelColor(2, 2), kDarkRedPixel);
    QCOMPARE(image.pixelColor(300, 30), kDarkRedPixel);
    QCOMPARE(image.pixelColor(519, 344), kDarkRedPixel);
    // Labels: the corner below and right of the text is background. (Label11's last row
    // lies under CmdExit: the designer overlapped them by a pixel.)
    for (const char* label :
         {"Label13", "Label6", "Label1", "Label2", "Label4", "Label10", "Label5", "Label7",
          "Label8", "Label9", "Label12", "Label3", "Label11", "Label14"}) {
        const QWidget* w = t.find(label);
        QVERIFY2(pixel(label, {w->width() - 2, w->height() - 2}) == kOrangePixel, label);
    }
    QCOMPARE(pixel("Frame1", {250, 22}), kLightOrangePixel);
    for (const char* option : {"COM1", "COM2", "COM3", "COM4"}) {
        const QWidget* w = t.find(option);
        QVERIFY2(pixel(option, {w->width() - 2, w->height() / 2}) == kLightOrangePixel, option);
    }
    // Text boxes: inside the frame, right of any text.
    for (const char* box : {"Taddr1", "Tdata1", "Taddr2", "Tdata2", "Taddr3", "Tdata3", "Text1",
                            "TaddrTempo", "TdataTempo", "Tcomm"}) {
        const QWidget* w = t.find(box);
        QVERIFY2(pixel(box, {w->width() - 4, w->height() / 2}) == kLightOrangePixel, box);
    }
    for (const char* box : {"TValeur1", "TValeur2", "Tvaleur3", "TvaleurTempo"}) {
        const QWidget* w = t.find(box);
        QVERIFY2(pixel(box, {w->width() - 4, w->height() / 2}) == platformBase, box);
    }
    QCOMPARE(pixel("EDTprg", {10, 90}), platformBase);
}

void TestMainWindow::textsFitTheirBoxes() {
    WindowUnderTest t;
    const QFont font = t.window->font();
    for (const QLabel* label : t.window->findChildren<QLabel*>()) {
        const QString where = label->objectName();
        QVERIFY2(WidestWord(font, label->text()) <= label->width(), qPrintable(where));
        QVERIFY2(InkBottom(font, label->text(), label->width()) <= label->height(),
                 qPrintable(where));
    }
    const QStyle* style = QApplication::style();
    for (const char* name : {"BTNcharge_program", "CmdRead", "CmdWrite", "CmdExit"}) {
        const auto* button = t.find<QPushButton>(name);
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect area = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        QVERIFY2(WidestWord(font, button->text()) <= area.width(), name);
        QVERIFY2(InkBottom(font, button->text(), area.width()) <= area.height(), name);
    }
    // The widest texts the operations put in the boxes of a slot.
    t.window->boxes().setText("Tdata1", " CC 8C A0 DD");
    t.window->boxes().setText("TValeur1", "65535");
    t.window->boxes().setText("Tdata2", "CC 03 E8 DD");
    for (const QLineEdit* box : t.window->findChildren<QLineEdit*>()) {
        // The frame and margins leave the text its line height.
        const int inner = box->height() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
        QVERIFY2(QFontMetrics(font).height() <= inner, qPrintable(box->objectName()));
        QVERIFY2(QFontMetrics(font).horizontalAdvance(box->text()) <= box->width() - 4,
                 qPrintable(box->objectName()));
    }
    for (const char* option : {"COM1", "COM2", "COM3", "COM4"}) {
        const auto* button = t.find<QRadioButton>(option);
        QStyleOptionButton styleOption;
        styleOption.initFrom(button);
        const QRect area =
            style->subElementRect(QStyle::SE_RadioButtonContents, &styleOption, button);
        const QFontMetrics metrics(font);
        const int textWidth = std::max(metrics.horizontalAdvance(button->text()),
                                       metrics.boundingRect(button->text()).width());
        QVERIFY2(textWidth <= area.width(), option);
        QVERIFY2(metrics.height() <= button->height(), option);
    }
}

void TestMainWindow::startState() {
    WindowUnderTest t;
    QVERIFY(t.button("COM1")->isChecked());
    for (const char* other : {"COM2", "COM3", "COM4"}) {
        QVERIFY2(!t.button(other)->isChecked(), other);
    }
    // The load handler names port 1 and does nothing else with the port.
    QCOMPARE(t.port->portsSet, std::vector<int>{1});
    QCOMPARE(t.port->opens, 0);
    QVERIFY(t.port->sent.empty());

    WidgetBoxes& boxes = t.window->boxes();
    QCOMPARE(boxes.text("EDTprg"), std::string("Programme à charger...\r\n"));
    for (const char* empty : {"Tdata1", "Tdata2", "Tdata3", "TdataTempo", "TValeur1", "TValeur2",
                              "Tvaleur3", "TvaleurTempo", "Tcomm"}) {
        QVERIFY2(boxes.text(empty).empty(), empty);
    }
    QCOMPARE(boxes.text("Text1"), std::string("Non modifiable"));
    QVERIFY(!t.window->operationRunning());
}

void TestMainWindow::slotRowsMatchTheParameterSlots() {
    WindowUnderTest t;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        const SlotControls& slot = ControlsOf(i);
        const auto* label = t.find<QLabel>(std::string(slot.labelName).c_str());
        QCOMPARE(label->text().toStdString(), std::string(slot.rowLabel));
        QCOMPARE(label->toolTip().toStdString(), std::string(slot.tooltip));
        QCOMPARE(t.window->boxes().text(slot.addressBox), AddressText(kSlots[i].address));
        for (std::string_view box : {slot.dataBox, slot.valueBox}) {
            QVERIFY(t.window->findChild<QLineEdit*>(QString::fromUtf8(box.data(), box.size())));
        }
    }
}

void TestMainWindow::boxesReadAndWriteUtf8() {
    WindowUnderTest t;
    WidgetBoxes& boxes = t.window->boxes();
    boxes.setText("TValeur1", "36000");
    boxes.setText("Tdata1", " CC 8C A0 DD");
    boxes.setText("Taddr1", "F894");
    QCOMPARE(t.text("TValeur1"), QString("36000"));
    QCOMPARE(boxes.text("Tdata1"), std::string(" CC 8C A0 DD"));

    // EDTprg gives back exactly what it was given, line breaks and all, and shows lines.
    boxes.setText("EDTprg", "\r\n1\r\n255\r\nété\xC3\xBF");
    QCOMPARE(boxes.text("EDTprg"), std::string("\r\n1\r\n255\r\nété\xC3\xBF"));
    QCOMPARE(t.find<QPlainTextEdit>("EDTprg")->document()->blockCount(), 4);
    QCOMPARE(t.text("EDTprg"), QString::fromUtf8("\n1\n255\nétéÿ"));

    // The exchange log is the box Tcomm.
    t.window->exchangeLog().setText("Open COM 1 9600,N,8,1");
    t.window->exchangeLog().append(">06<No Reply");
    QCOMPARE(boxes.text("Tcomm"), std::string("Open COM 1 9600,N,8,1>06<No Reply"));
    QCOMPARE(t.text("Tcomm"), QString("Open COM 1 9600,N,8,1>06<No Reply"));
    // A long log is kept whole.
    const std::string longLog(40000, '>');
    t.window->exchangeLog().setText(longLog);
    QCOMPARE(t.window->exchangeLog().text().size(), longLog.size());

    QTest::ignoreMessage(QtWarningMsg, "no text box named \"Label1\"");
    QCOMPARE(boxes.text("Label1"), std::string());
}

void TestMainWindow::userCanTypeOnlyWhereAllowed() {
    WindowUnderTest t;
    t.showActive();
    for (const char* open : {"TValeur1", "TValeur2", "Tvaleur3", "TvaleurTempo", "Tcomm"}) {
        t.find(open)->setFocus();
        QTest::keyClicks(t.find(open), "123");
        QCOMPARE(t.text(open), QString("123"));
    }
    for (const char* shut : {"Taddr1", "Tdata1", "Text1", "TaddrTempo"}) {
        const QString before = t.text(shut);
        QTest::keyClicks(t.find(shut), "9");
        QCOMPARE(t.text(shut), before);
    }
    auto* log = t.find<QPlainTextEdit>("EDTprg");
    log->setFocus();
    QTest::keyClicks(log, "abc");
    QTest::keyClick(log, Qt::Key_Backspace);
    QCOMPARE(t.window->boxes().text("EDTprg"), std::string("Programme à charger...\r\n"));
    QCOMPARE(t.text("EDTprg"), QString::fromUtf8("Programme à charger...\n"));
}

void TestMainWindow::focusChainFollowsTabIndexes() {
    WindowUnderTest t;
    std::vector<QString> stops;
    QWidget* start = t.find("CmdExit");
    QWidget* w = start;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) {
            stops.push_back(w->objectName());
        }
        w = w->nextInFocusChain();
    } while (w != start && stops.size() < 50);
    QCOMPARE(stops, kTabStops);
}

void TestMainWindow::tabKeyVisitsStopsInOrder() {
    WindowUnderTest t;
    t.showActive();
    QCOMPARE(QApplication::focusWidget(), t.find("CmdExit"));

    std::vector<QString> visited{QApplication::focusWidget()->objectName()};
    for (std::size_t i = 0; i < kTabStops.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget()->objectName());
    }
    std::vector<QString> wanted = kTabStops;
    wanted.push_back("CmdExit");
    QCOMPARE(visited, wanted);

    // Once COM4 is chosen, the group is entered at COM4; the other buttons are no stops.
    QTest::mouseClick(t.button("COM4"), Qt::LeftButton);
    t.find("CmdRead")->setFocus();
    QTest::keyClick(t.find("CmdRead"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("COM4"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("Tcomm"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("CmdRead"));
}

void TestMainWindow::portChoiceOnlySetsTheNumber() {
    WindowUnderTest t;
    t.window->exchangeLog().setText(">05<05");
    QTest::mouseClick(t.button("COM4"), Qt::LeftButton);
    QCOMPARE(t.port->commPort(), 4);
    QVERIFY(t.button("COM4")->isChecked());
    QVERIFY(!t.button("COM1")->isChecked());
    QCOMPARE(t.text("Tcomm"), QString(">05<05"));
    QCOMPARE(t.port->opens, 0);
    QCOMPARE(t.port->closes, 0);
    QVERIFY(t.port->sent.empty());

    QTest::mouseClick(t.button("COM4"), Qt::LeftButton);
    QCOMPARE(t.port->commPort(), 4);
    QTest::mouseClick(t.button("COM3"), Qt::LeftButton);
    QTest::mouseClick(t.button("COM2"), Qt::LeftButton);
    QTest::mouseClick(t.button("COM1"), Qt::LeftButton);
    QCOMPARE(t.port->portsSet, (std::vector<int>{1, 4, 4, 3, 2, 1}));
    QCOMPARE(t.port->opens, 0);
}

void TestMainWindow::comTooltipsAreAskedAfresh() {
    WindowUnderTest t;
    t.showExposed();
    auto askTooltip = [&](const char* name) {
        QWidget* button = t.find(name);
        const QPoint local(5, 5);
        QHelpEvent help(QEvent::ToolTip, local, button->mapToGlobal(local));
        QApplication::sendEvent(button, &help);
    };
    askTooltip("COM3");
    QCOMPARE(t.tooltipsAsked, std::vector<int>{3});
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QString("/dev/ttyS0"));

    // The same button asks again: a port that appeared meanwhile shows at once.
    askTooltip("COM3");
    QCOMPARE(QToolTip::text(), QString::fromUtf8("/dev/ttyUSB0 — FT232R USB UART"));
    askTooltip("COM1");
    QCOMPARE(t.tooltipsAsked, (std::vector<int>{3, 3, 1}));
    QToolTip::hideText();
}

void TestMainWindow::exitClosesTheWindow() {
    WindowUnderTest t;
    t.showExposed();
    t.window->boxes().setText("TValeur1", "1000");
    QTest::mouseClick(t.button("CmdExit"), Qt::LeftButton);
    QVERIFY(!t.window->isVisible());
    QCOMPARE(t.port->opens, 0);
    QVERIFY(t.dialogs->messages.empty());
}

void TestMainWindow::eachButtonRunsItsOperation() {
    WindowUnderTest t;
    t.port->refuseOpening = true;
    t.window->boxes().setText("Tdata1", " CC 00 64 DD");

    // The write opens the port first and leaves the data boxes alone when it cannot.
    QTest::mouseClick(t.button("CmdWrite"), Qt::LeftButton);
    QCOMPARE(t.port->opens, 1);
    QCOMPARE(t.window->boxes().text("Tdata1"), std::string(" CC 00 64 DD"));
    QVERIFY(t.text("Tcomm").startsWith("Open COM 1 9600,N,8,1"));
    QCOMPARE(t.dialogs->messages.size(), std::size_t{1});

    // The read empties the data boxes before it opens the port.
    QTest::mouseClick(t.button("COM2"), Qt::LeftButton);
    QTest::mouseClick(t.button("CmdRead"), Qt::LeftButton);
    QCOMPARE(t.port->opens, 2);
    QVERIFY(t.window->boxes().text("Tdata1").empty());
    QVERIFY(t.text("Tcomm").startsWith("Open COM 2 9600,N,8,1"));

    // The program load warns, asks for a file, and goes no further on Cancel.
    t.dialogs->messages.clear();
    QTest::mouseClick(t.button("BTNcharge_program"), Qt::LeftButton);
    QCOMPARE(t.port->opens, 2);
    QVERIFY(t.window->boxes().text("EDTprg").empty());
    QCOMPARE(t.dialogs->messages,
             std::vector<std::string>{
                 "Attention, cette action remplace le programme de votre contrôle télescope"});
    QVERIFY(!t.window->operationRunning());
}

void TestMainWindow::closeDuringAnOperationWaitsForItsEnd() {
    WindowUnderTest t;
    t.showExposed();
    bool visibleAfterClose = false;
    bool runningDuringDialog = false;
    t.dialogs->onMessage = [&](const std::string&) {
        runningDuringDialog = t.window->operationRunning();
        t.window->close();
        visibleAfterClose = t.window->isVisible();
    };
    t.dialogs->answer = [&] {
        // The window is still there for the rest of the operation.
        t.window->boxes().setText("TValeur1", "still here");
        return std::string();
    };
    QTest::mouseClick(t.button("BTNcharge_program"), Qt::LeftButton);
    QVERIFY(runningDuringDialog);
    QVERIFY(visibleAfterClose);
    QCOMPARE(t.text("TValeur1"), QString("still here"));
    QVERIFY(!t.window->isVisible());
    QVERIFY(!t.window->operationRunning());

    // "Sortie" clicked while an operation runs is deferred the same way.
    WindowUnderTest u;
    u.showExposed();
    bool visibleAfterExit = false;
    u.dialogs->onMessage = [&](const std::string&) {
        u.button("CmdExit")->click();
        visibleAfterExit = u.window->isVisible();
    };
    QTest::mouseClick(u.button("BTNcharge_program"), Qt::LeftButton);
    QVERIFY(visibleAfterExit);
    QVERIFY(!u.window->isVisible());

    // Without an operation, a close is honoured at once.
    WindowUnderTest v;
    v.showExposed();
    QVERIFY(v.window->close());
    QVERIFY(!v.window->isVisible());
}

void TestMainWindow::noHandlerRunsInsideAnother() {
    WindowUnderTest t;
    t.showExposed();
    t.port->refuseOpening = true;
    std::vector<int> opensDuringBox;
    t.dialogs->onMessage = [&](const std::string&) {
        if (!t.window->operationRunning()) {
            return;
        }
        t.dialogs->onMessage = nullptr;
        t.button("CmdRead")->click();
        t.button("COM3")->click();
        t.button("CmdWrite")->click();
        opensDuringBox.push_back(t.port->opens);
    };
    QTest::mouseClick(t.button("BTNcharge_program"), Qt::LeftButton);
    // Nothing ran inside the program load; afterwards the clicks were handled in the order
    // they were made: the read on COM1, then the choice of COM3, then the write on COM3.
    QCOMPARE(opensDuringBox, std::vector<int>{0});
    QCOMPARE(t.port->opens, 2);
    QCOMPARE(t.port->portsSet, (std::vector<int>{1, 3}));
    QVERIFY(t.text("Tcomm").startsWith("Open COM 3 9600,N,8,1"));
    QVERIFY(t.button("COM3")->isChecked());
    QVERIFY(!t.window->operationRunning());
}

void TestMainWindow::byteWaitsKeepTheWindowServed() {
    WindowUnderTest t;
    t.showExposed();
    bool timerRanDuringRead = false;
    bool visibleAfterClose = false;
    QTimer::singleShot(0, t.window.get(), [&] {
        timerRanDuringRead = t.window->operationRunning();
        t.window->close();
        visibleAfterClose = t.window->isVisible();
    });
    QTest::mouseClick(t.button("CmdRead"), Qt::LeftButton);
    QVERIFY(timerRanDuringRead);
    QVERIFY(visibleAfterClose);
    // The read went on to its end with the silent board, then the window closed.
    QCOMPARE(t.port->opens, 1);
    QCOMPARE(t.port->closes, 1);
    QVERIFY(t.text("Tcomm").contains("<No Reply"));
    QVERIFY(!t.window->isVisible());
}

namespace {

// The override cursor's shape, or -1 when none is set.
int CursorShape() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor == nullptr ? -1 : static_cast<int>(cursor->shape());
}

} // namespace

void TestMainWindow::waitCursorWhileAnOperationRuns() {
    WindowUnderTest t;
    t.showExposed();
    std::vector<int> duringBoxes;
    t.dialogs->onMessage = [&](const std::string&) { duringBoxes.push_back(CursorShape()); };
    t.dialogs->answer = [&] {
        duringBoxes.push_back(CursorShape());
        return std::string();
    };
    int duringWait = -1;
    QTimer::singleShot(0, t.window.get(), [&] { duringWait = CursorShape(); });
    QTest::mouseClick(t.button("CmdRead"), Qt::LeftButton); // a silent board
    QCOMPARE(duringWait, int{Qt::WaitCursor});
    QCOMPARE(CursorShape(), -1);

    // The warning and the question of the program load, then an open failure's message.
    QTest::mouseClick(t.button("BTNcharge_program"), Qt::LeftButton);
    t.port->refuseOpening = true;
    QTest::mouseClick(t.button("CmdWrite"), Qt::LeftButton);
    QCOMPARE(duringBoxes, (std::vector<int>{Qt::ArrowCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
    QCOMPARE(CursorShape(), -1);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
