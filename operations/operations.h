#pragma once
// The three things the buttons start: read the parameters, write them, and the
// program-load exchange with the board's debug monitor. Each opens the port at its start
// and closes it at its end, on every path.

#include "operations/dialogs.h"
#include "operations/window_boxes.h"
#include "serial/clock.h"
#include "serial/exchange_log.h"
#include "serial/serial_port.h"
#include "serial/wait_observer.h"

namespace veloris {

struct OperationContext {
    SerialPort& comm1;
    WindowBoxes& boxes;
    ExchangeLog& log; // the box Tcomm
    Dialogs& dialogs;
    Clock& clock;
    WaitObserver* observer = nullptr;
};

void ReadParameters(OperationContext& context);  // "Lecture EEPROM"
void WriteParameters(OperationContext& context); // "Ecriture EEPROM"
void ProgramLoad(OperationContext& context);     // "Charger programme dans EEPROM"

} // namespace veloris
