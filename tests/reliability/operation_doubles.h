#pragma once
// Boxes set up as a read leaves them, for tests that start from a read; and the window
// without a window, shared with the fuzz targets and the benchmark.

#include <string>

#include "operations/window_boxes.h"
#include "protocol/parameter_slots.h"
#include "serial/byte_exchange.h"
#include "sim/headless_window.h"

namespace veloris::testing {

// The texts a read leaves in the boxes of a slot whose record is CC hh ll DD.
inline void ShowReadRecord(WindowBoxes& boxes, const ParameterSlot& slot, int value) {
    std::string record;
    for (const int byte : {int{kRecordOpen}, value >> 8, value & 0xFF, int{kRecordClose}}) {
        record += " " + HexByte(byte);
    }
    boxes.setText(slot.dataBox, record);
    boxes.setText(slot.valueBox, std::to_string(value));
}

} // namespace veloris::testing
