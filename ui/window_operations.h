#pragma once
// The three operations as the window runs them: its boxes read into a request, the
// operation run on the line, and what it reports shown in the boxes and message boxes,
// each at the moment the window has always shown it.

#include "operations/operations.h"
#include "serial/serial_port.h"
#include "ui/dialogs.h"
#include "ui/open_failure_hints.h"
#include "ui/widget_boxes.h"

namespace veloris {

struct WindowParts {
    WidgetBoxes& boxes;
    Dialogs& dialogs;
    SerialPort& comm1;
    const HintProbes& hintProbes;
};

// "Lecture EEPROM": the data boxes fill pair by pair as the bytes come, and each value box
// shows its slot's value once the slot ends, or nothing when the record was not whole.
void ReadIntoWindow(OperationLine& line, WindowParts window);

// "Ecriture EEPROM": the value boxes of the slots their guards let through, checked first;
// each written slot's data box shows its record, emptied again when the board did not echo
// it whole.
void WriteFromWindow(OperationLine& line, WindowParts window);

// "Charger programme dans EEPROM": the warning, the question for the file, each complaint
// and the final question as message boxes; the program-load log filled as the bytes come.
void ProgramLoadInWindow(OperationLine& line, WindowParts window);

} // namespace veloris
