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

std::string OpenFailureMessage(int commPort, const OpenFailure& failure) {
    const std::string port = "COM" + std::to_string(commPort) + " (" + failure.device + ")";
    switch (failure.reason) {
    case OpenFailure::Reason::Absent:
        return "Impossible d'ouvrir le port " + port +
               " : ce périphérique n'existe pas.\nVérifiez que le câble ou l'adaptateur "
               "USB-série est branché, ou choisissez un autre port.";
    case OpenFailure::Reason::Busy:
        return "Impossible d'ouvrir le port " + port +
               " : il est déjà utilisé par un autre programme.\nFermez ce programme, puis "
               "recommencez.";
    case OpenFailure::Reason::PermissionDenied:
        return "Impossible d'ouvrir le port " + port +
               " : accès refusé.\nAjoutez votre compte au groupe « dialout » (commande : sudo "
               "adduser $USER dialout), puis fermez votre session et rouvrez-la.";
    case OpenFailure::Reason::BadSettings:
        return "Impossible d'ouvrir le port " + port +
               " : le périphérique refuse les réglages 9600,N,8,1." +
               (failure.detail.empty() ? "" : "\n(" + failure.detail + ")");
    case OpenFailure::Reason::NotSerialPort:
        return "Impossible d'ouvrir le port " + port +
               " : ce périphérique n'est pas un port série.";
    case OpenFailure::Reason::SystemConsole:
        return "Impossible d'ouvrir le port " + port +
               " : c'est la console du système, qui ne doit pas servir à parler à la carte.";
    case OpenFailure::Reason::Other:
        break;
    }
    return "Impossible d'ouvrir le port " + port + "." +
           (failure.detail.empty() ? "" : "\n(" + failure.detail + ")");
}

} // namespace veloris
