#include "serial/port_setup.h"

namespace veloris {

std::string OpenLine(int commPort) {
    // The number is written the way the board tools always wrote it: a blank ahead of a
    // number that is not negative, a minus sign ahead of a negative one.
    std::string line = "Open COM";
    if (commPort >= 0) {
        line += ' ';
    }
    line += std::to_string(commPort);
    line += ' ';
    line += kLineSettings;
    return line;
}

std::optional<OpenFailure> OpenComm(SerialPort& comm1, ExchangeLog& log) {
    comm1.setSettings(std::string(kLineSettings));
    comm1.setHandshaking(kNoHandshaking);
    // The open line goes in first, so it stands in the log also when the opening fails.
    log.setText(OpenLine(comm1.commPort()));
    auto failure = comm1.open();
    if (failure) {
        log.append(OpenFailureEntry(*failure));
    }
    return failure;
}

std::string OpenFailureEntry(const OpenFailure& failure) {
    switch (failure.reason) {
    case OpenFailure::Reason::Absent:
        return " Error: no such port";
    case OpenFailure::Reason::Busy:
        return " Error: port busy";
    case OpenFailure::Reason::PermissionDenied:
        return " Error: permission denied";
    case OpenFailure::Reason::BadSettings:
        return " Error: settings refused";
    case OpenFailure::Reason::NotSerialPort:
        return " Error: not a serial port";
    case OpenFailure::Reason::SystemConsole:
        return " Error: system console";
    case OpenFailure::Reason::Other:
        break;
    }
    return " Error: port not opened";
}

} // namespace veloris
