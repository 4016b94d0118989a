#include "ui/main_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QToolTip>

#include "serial/port_setup.h"
#include "ui/control_table.h"
#include "ui/operation_dialogs.h"
#include "ui/qt_text.h"
#include "ui/window_font.h"

namespace veloris {

FRMprogram::FRMprogram(WindowServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    setObjectName(ToQString(kWindowName));
    setWindowTitle(ToQString(kWindowCaption) + services_.captionSuffix);
    setFont(WindowFont());
    setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));

    controls_ = BuildControls(*this, ControlTable());
    for (const ControlRow& row : ControlTable()) {
        if (row.kind == ControlKind::TextBox || row.kind == ControlKind::MultiLineTextBox) {
            boxes_.add(row.name, controls_.find(row.name));
        }
    }
    log_ = std::make_unique<LineEditLog>(*qobject_cast<QLineEdit*>(controls_.find("Tcomm")));

    connect(controls_.portGroup, &QButtonGroup::idClicked, this, &FRMprogram::onPortChosen);
    for (QAbstractButton* button : controls_.portGroup->buttons()) {
        button->installEventFilter(this);
    }
    connectButton("CmdRead", &ReadIntoWindow);
    connectButton("CmdWrite", &WriteFromWindow);
    connectButton("BTNcharge_program", &ProgramLoadInWindow);
    connect(qobject_cast<QAbstractButton*>(controls_.find("CmdExit")), &QAbstractButton::clicked,
            this, &FRMprogram::onExit);

    controls_.find("CmdExit")->setFocus(Qt::OtherFocusReason);
    onLoad();
}

FRMprogram::~FRMprogram() = default;

void FRMprogram::connectButton(std::string_view name, Operation operation) {
    connect(qobject_cast<QAbstractButton*>(controls_.find(name)), &QAbstractButton::clicked, this,
            [this, operation] { runOperation(operation); });
}

void FRMprogram::onLoad() {
    services_.comm1->setCommPort(kFirstPort);
}

void FRMprogram::onPortChosen(int index) {
    // The port is closed between operations, so a choice only names the next one to open.
    // The number of an open port never changes: a choice made during an operation is
    // taken once the operation has finished, like any other click.
    if (running_) {
        afterOperation_.push_back([this, index] { onPortChosen(index); });
        return;
    }
    services_.comm1->setCommPort(index);
}

void FRMprogram::onExit() {
    close();
}

void FRMprogram::runOperation(Operation operation) {
    // Byte waits let paint and timer events through and hold user input back; Qt hands it
    // over when the operation returns to the event loop, or just before one of its modal
    // boxes opens (OperationDialogs). A click that reaches the window while an operation
    // runs is queued here and handled once the operation has finished, never inside it.
    if (running_) {
        afterOperation_.push_back([this, operation] { runOperation(operation); });
        return;
    }
    {
        running_ = true;
        struct Finish {
            FRMprogram& window;
            ~Finish() { window.running_ = false; }
        } finish{*this};

        const WaitCursor waiting;
        OperationDialogs dialogs(*services_.dialogs);
        OperationLine line{*services_.comm1, *log_, *services_.clock, this};
        operation(line, WindowParts{boxes_, dialogs, *services_.comm1});
    }
    if (closePending_) {
        // Closing wins over what was clicked meanwhile: the window is going away.
        closePending_ = false;
        afterOperation_.clear();
        close();
        return;
    }
    // In the order they were made; one of them may queue more, which run after it.
    while (!afterOperation_.empty()) {
        const std::function<void()> next = std::move(afterOperation_.front());
        afterOperation_.pop_front();
        next();
    }
}

void FRMprogram::whileWaiting() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void FRMprogram::paintEvent(QPaintEvent* /*event*/) {
    // Painted rather than set in the palette, which every control would inherit: the
    // buttons, the scroll bar and the box frames keep the platform's own colours.
    QPainter(this).fillRect(rect(), QColor(kDarkRed.red, kDarkRed.green, kDarkRed.blue));
}

void FRMprogram::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The port is open and an operation holds it: finish that first, then close.
        closePending_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

bool FRMprogram::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (event->type() == QEvent::ToolTip && button != nullptr && services_.portTooltip) {
        const int index = controls_.portGroup->id(button);
        const QString text = ToQString(services_.portTooltip(index));
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, button);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace veloris
