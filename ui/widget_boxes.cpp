#include "ui/widget_boxes.h"

#include <QLineEdit>
#include <QtDebug>

#include "ui/program_log_box.h"
#include "ui/qt_text.h"

namespace veloris {

void WidgetBoxes::add(std::string_view name, QWidget* box) {
    Box entry{qobject_cast<QLineEdit*>(box), qobject_cast<ProgramLogBox*>(box)};
    if (entry.line == nullptr && entry.log == nullptr) {
        qWarning() << "not a text box:" << ToQString(name);
        return;
    }
    boxes_.insert_or_assign(std::string(name), entry);
}

const WidgetBoxes::Box* WidgetBoxes::find(std::string_view name) const {
    const auto found = boxes_.find(name);
    if (found == boxes_.end()) {
        qWarning() << "no text box named" << ToQString(name);
        return nullptr;
    }
    return &found->second;
}

std::string WidgetBoxes::text(std::string_view boxName) const {
    const Box* box = find(boxName);
    if (box == nullptr) {
        return {};
    }
    if (box->log != nullptr) {
        return box->log->storedText();
    }
    return ToUtf8(box->line->text());
}

void WidgetBoxes::setText(std::string_view boxName, std::string text) {
    const Box* box = find(boxName);
    if (box == nullptr) {
        return;
    }
    if (box->log != nullptr) {
        box->log->setStoredText(std::move(text));
    } else {
        box->line->setText(ToQString(text));
    }
}

std::string LineEditLog::text() const {
    return ToUtf8(box_.text());
}

void LineEditLog::setText(std::string text) {
    box_.setText(ToQString(text));
}

} // namespace veloris
