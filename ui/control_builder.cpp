#include "ui/control_builder.h"

#include <algorithm>
#include <limits>
#include <vector>

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "ui/program_log_box.h"
#include "ui/qt_text.h"
#include "ui/wrapping_button.h"

namespace veloris {

namespace {

// The exchange log is one line that grows with every byte; QLineEdit's default cap would
// cut a long program-load exchange short.
constexpr int kUnboundedLineLength = std::numeric_limits<int>::max();

const QColor kDisabledTextOnLightOrange(96, 64, 40);

QColor ToQColor(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Only the orange shades are the window's own; the other backgrounds are the platform's.
// Each widget fills from its own background role: Window for labels and frames, Button
// for option buttons, Base for text boxes.
void Paint(QWidget& widget, const ControlRow& row) {
    if (row.background != Background::Orange && row.background != Background::LightOrange) {
        return;
    }
    QPalette palette = widget.palette();
    palette.setColor(widget.backgroundRole(),
                     ToQColor(row.background == Background::Orange ? kOrange : kLightOrange));
    const bool textBox =
        row.kind == ControlKind::TextBox || row.kind == ControlKind::MultiLineTextBox;
    if (textBox) {
        // The platform's grey for disabled text all but vanishes on light orange; the
        // addresses and the bytes read must stay legible, in a dim light, at the eyepiece.
        palette.setColor(QPalette::Disabled, QPalette::Text, kDisabledTextOnLightOrange);
    }
    widget.setPalette(palette);
    if (!textBox) {
        widget.setAutoFillBackground(true);
    }
}

QWidget* Create(const ControlRow& row, QWidget* parent, QButtonGroup& portGroup) {
    const QString text = ToQString(row.text);
    switch (row.kind) {
    case ControlKind::Frame: {
        auto* frame = new QFrame(parent);
        frame->setFrameShape(QFrame::NoFrame);
        return frame;
    }
    case ControlKind::OptionButton: {
        auto* button = new QRadioButton(text, parent);
        portGroup.addButton(button, row.groupIndex);
        button->setChecked(row.groupIndex == kSelectedAtStart);
        // One Tab stop for the group, at the selected button. Qt moves the stop itself
        // once a button of the group has had the focus; this sets it up before then.
        if (row.groupIndex != kSelectedAtStart) {
            button->setFocusPolicy(Qt::ClickFocus);
        }
        return button;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::TextBox: {
        auto* box = new QLineEdit(parent);
        box->setMaxLength(kUnboundedLineLength);
        box->setText(text);
        box->setCursorPosition(0);
        box->setReadOnly(row.readOnly);
        return box;
    }
    case ControlKind::MultiLineTextBox: {
        auto* box = new ProgramLogBox(parent);
        box->setStoredText(std::string(row.text));
        return box;
    }
    case ControlKind::Button:
        return new WrappingButton(text, parent);
    }
    return nullptr;
}

// Tab visits the focusable controls by tab index. Option buttons of one group share a
// single stop, at the selected button, as the designer's option groups do: the others
// are reached with the arrow keys.
void ChainTabOrder(const BuiltControls& built, std::span<const ControlRow> rows) {
    std::vector<const ControlRow*> stops;
    for (const ControlRow& row : rows) {
        if (TakesFocus(row)) {
            stops.push_back(&row);
        }
    }
    std::ranges::sort(stops, {}, &ControlRow::tabIndex);
    QWidget* previous = nullptr;
    for (const ControlRow* row : stops) {
        QWidget* current = built.find(row->name);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, current);
        }
        previous = current;
    }
}

} // namespace

QWidget* BuiltControls::find(std::string_view name) const {
    const auto found = widgets.find(name);
    return found == widgets.end() ? nullptr : found->second;
}

BuiltControls BuildControls(QWidget& window, std::span<const ControlRow> rows) {
    BuiltControls built;
    built.portGroup = new QButtonGroup(&window);
    built.portGroup->setExclusive(true);

    for (const ControlRow& row : rows) {
        QWidget* parent = row.parent.empty() ? &window : built.find(row.parent);
        if (parent == nullptr) {
            qFatal("control %s names a parent that comes later in the table",
                   std::string(row.name).c_str());
        }
        QWidget* widget = Create(row, parent, *built.portGroup);
        widget->setObjectName(ToQString(row.name));
        widget->setGeometry(TwipsToPixels(row.place.left), TwipsToPixels(row.place.top),
                            TwipsToPixels(row.place.width), TwipsToPixels(row.place.height));
        widget->setEnabled(row.enabled);
        if (!row.tooltip.empty()) {
            widget->setToolTip(ToQString(row.tooltip));
        }
        Paint(*widget, row);
        built.widgets.emplace(std::string(row.name), widget);
    }
    ChainTabOrder(built, rows);
    return built;
}

} // namespace veloris
