#pragma once
// What went wrong with the port, in words: why it could not be opened, with the same
// advice as the window gives, and a line lost during the exchange.

#include <QJsonObject>
#include <QString>

#include "serial/serial_port.h"

namespace veloris::cli {

// `port` names the port as the user chose it, e.g. "COM1 (/dev/ttyUSB0)" or "/dev/ttyUSB0".
QString OpenFailureText(const QString& port, const OpenFailure& failure);
QString LineLostText(const QString& port);

// A stable name for the reason, for --json: "absent", "busy", "permission-denied", ...
QString ReasonName(OpenFailure::Reason reason);
QJsonObject OpenFailureJson(const QString& port, const OpenFailure& failure);

} // namespace veloris::cli
