#include "cli/port_words.h"

#include "cli/texts.h"
#include "serial/brltty_probe.h"
#include "serial/process_table.h"

namespace veloris::cli {

namespace {

QString Detail(const OpenFailure& failure) {
    return failure.detail.empty()
               ? QString()
               : QStringLiteral("\n(") + QString::fromStdString(failure.detail) + u')';
}

QString HolderText(const OpenFailure& failure) {
    if (!failure.holder) {
        return {};
    }
    return u' ' + Cli::tr("(held by %1, process %2)")
                      .arg(QString::fromStdString(failure.holder->program))
                      .arg(failure.holder->pid);
}

QString KernelName(const std::string& device) {
    const std::size_t slash = device.rfind('/');
    return QString::fromStdString(slash == std::string::npos ? device : device.substr(slash + 1));
}

// ModemManager probes every adapter just plugged in for some seconds; it runs as root, so
// an ordinary user cannot see that it is the holder.
QString ModemManagerHint(const OpenFailure& failure) {
    const bool heldByIt = failure.holder && failure.holder->program == "ModemManager";
    if (!heldByIt && (failure.holder || !ProcessRunning("ModemManager"))) {
        return {};
    }
    QString name = KernelName(failure.device);
    if (name.isEmpty()) {
        name = QStringLiteral("ttyUSB0");
    }
    return u'\n' + Cli::tr("ModemManager may be examining the adapter, as it does for some "
                           "seconds after it is plugged in: wait a little, then try again.\nTo "
                           "keep it away from this port, create the file "
                           "/etc/udev/rules.d/99-veloris.rules holding the line\n"
                           "KERNEL==\"%1\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\nthen unplug the "
                           "adapter and plug it in again.")
                       .arg(name);
}

// brltty's udev rules claim USB serial chips some braille displays use.
QString BrlttyHint(const OpenFailure& failure) {
    const QString name = KernelName(failure.device);
    if (!(name.startsWith(u"ttyUSB") || name.startsWith(u"ttyACM")) || !BrlttyInstalled()) {
        return {};
    }
    return u'\n' + Cli::tr("brltty (for braille displays) may have taken the adapter: check "
                           "with \"sudo dmesg | grep brltty\" and, if you use no braille "
                           "display, stop it with \"sudo systemctl mask --now "
                           "brltty-udev.service brltty.service\" or remove it with \"sudo apt "
                           "remove brltty\".");
}

} // namespace

QString OpenFailureText(const QString& port, const OpenFailure& failure) {
    switch (failure.reason) {
    case OpenFailure::Reason::Absent:
        return Cli::tr("Cannot open the port %1: no such device.\nCheck that the cable or the "
                       "USB-serial adapter is plugged in, or choose another port "
                       "(\"veloris-cli ports\" lists them).")
                   .arg(port) +
               BrlttyHint(failure);
    case OpenFailure::Reason::Busy:
        return Cli::tr("Cannot open the port %1: another program is using it%2.\nClose that "
                       "program, then try again.")
                   .arg(port, HolderText(failure)) +
               ModemManagerHint(failure);
    case OpenFailure::Reason::PermissionDenied:
        return Cli::tr("Cannot open the port %1: permission denied.\nAdd your account to the "
                       "group \"dialout\" (command: sudo adduser $USER dialout), then log out "
                       "and in again.")
            .arg(port);
    case OpenFailure::Reason::BadSettings:
        return Cli::tr("Cannot open the port %1: the device refuses the settings 9600,N,8,1.")
                   .arg(port) +
               Detail(failure);
    case OpenFailure::Reason::NotSerialPort:
        return Cli::tr("Cannot open the port %1: this device is not a serial port.").arg(port);
    case OpenFailure::Reason::SystemConsole:
        return Cli::tr("Cannot open the port %1: it is the system console, which must not be "
                       "used to talk to the board.")
            .arg(port);
    case OpenFailure::Reason::Other:
        break;
    }
    return Cli::tr("Cannot open the port %1.").arg(port) + Detail(failure);
}

QString LineLostText(const QString& port) {
    return Cli::tr("The line to the board through %1 was lost during the exchange.\nCheck the "
                   "cable, the adapter and the board's power supply, then try again.")
        .arg(port);
}

QString ReasonName(OpenFailure::Reason reason) {
    switch (reason) {
    case OpenFailure::Reason::Absent:
        return QStringLiteral("absent");
    case OpenFailure::Reason::Busy:
        return QStringLiteral("busy");
    case OpenFailure::Reason::PermissionDenied:
        return QStringLiteral("permission-denied");
    case OpenFailure::Reason::BadSettings:
        return QStringLiteral("bad-settings");
    case OpenFailure::Reason::NotSerialPort:
        return QStringLiteral("not-serial-port");
    case OpenFailure::Reason::SystemConsole:
        return QStringLiteral("system-console");
    case OpenFailure::Reason::Other:
        break;
    }
    return QStringLiteral("other");
}

QJsonObject OpenFailureJson(const QString& port, const OpenFailure& failure) {
    QJsonObject json{
        {QStringLiteral("reason"), ReasonName(failure.reason)},
        {QStringLiteral("device"), QString::fromStdString(failure.device)},
        {QStringLiteral("detail"), QString::fromStdString(failure.detail)},
        {QStringLiteral("message"), OpenFailureText(port, failure)},
    };
    if (failure.holder) {
        json.insert(QStringLiteral("holder"),
                    QJsonObject{{QStringLiteral("program"),
                                 QString::fromStdString(failure.holder->program)},
                                {QStringLiteral("pid"), failure.holder->pid}});
    }
    return json;
}

} // namespace veloris::cli
