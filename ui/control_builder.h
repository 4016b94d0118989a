#pragma once
// Turns the control table into Qt widgets on the window: kind, text, place, colours,
// enabled state, tooltips and the tab order.

#include <map>
#include <span>
#include <string>
#include <string_view>

#include "ui/control_table.h"

class QButtonGroup;
class QWidget;

namespace veloris {

struct BuiltControls {
    std::map<std::string, QWidget*, std::less<>> widgets; // by object name
    QButtonGroup* portGroup = nullptr;                    // the COM buttons, ids 1 to 4

    // The named widget; nullptr when the table has no such control.
    QWidget* find(std::string_view name) const;
};

// Creates every row as a child of `window` (or of the row's parent frame). The widgets are
// owned by Qt's parent chain.
BuiltControls BuildControls(QWidget& window, std::span<const ControlRow> rows);

} // namespace veloris
