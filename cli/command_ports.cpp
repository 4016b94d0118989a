// veloris-cli ports: COM1 to COM4 as the window maps them now, then every serial device
// present with what the system knows of it.

#include <QJsonArray>

#include "cli/commands.h"
#include "cli/texts.h"
#include "portinfo/port_listing.h"
#include "serial/port_mapping.h"
#include "serial/port_setup.h"

namespace veloris::cli {

namespace {

// COM1 to COM4, as the window's option buttons offer them.
constexpr int kLastComPort = 4;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString UsbText(const UsbId& usb) {
    return QStringLiteral("%1:%2")
        .arg(usb.vendor, 4, 16, QLatin1Char('0'))
        .arg(usb.product, 4, 16, QLatin1Char('0'));
}

QString Described(const PresentPort& port) {
    QStringList words;
    if (!port.description.empty()) {
        words << Text(port.description);
    }
    if (!port.manufacturer.empty() && port.manufacturer != port.description) {
        words << Text(port.manufacturer);
    }
    return words.join(QStringLiteral(", "));
}

QJsonObject PortJson(const PresentPort& port) {
    return {
        {QStringLiteral("device"), Text(port.device)},
        {QStringLiteral("by_id"), Text(port.byId)},
        {QStringLiteral("description"), Text(port.description)},
        {QStringLiteral("manufacturer"), Text(port.manufacturer)},
        {QStringLiteral("usb"), port.usb ? QJsonValue(UsbText(*port.usb)) : QJsonValue()},
        {QStringLiteral("serial_number"), Text(port.serialNumber)},
        {QStringLiteral("uart_present"), port.realUart},
        {QStringLiteral("system_console"), port.systemConsole},
    };
}

void SayField(const Console& console, const QString& name, const std::string& value) {
    if (!value.empty()) {
        console.say(QStringLiteral("  %1 %2").arg(name.leftJustified(15), Text(value)));
    }
}

} // namespace

int RunPorts(const Options&, const Console& console) {
    const std::vector<PresentPort> present = ListPresentPorts();
    const std::vector<PresentPort> ordered = OrderPorts(present);

    QJsonArray mapping;
    for (int n = kFirstPort; n <= kLastComPort; ++n) {
        const std::string device = DeviceForComm(n, ordered);
        const PresentPort* port = static_cast<std::size_t>(n) <= ordered.size()
                                      ? &ordered[static_cast<std::size_t>(n) - 1]
                                      : nullptr;
        QString line = QStringLiteral("COM%1  %2").arg(n).arg(Text(device));
        if (port == nullptr) {
            line += u' ' + Cli::tr("(no port found for it)");
        } else if (const QString described = Described(*port); !described.isEmpty()) {
            line += QStringLiteral(" — ") + described;
        }
        console.say(line);
        mapping.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("COM%1").arg(n)},
                                   {QStringLiteral("device"), Text(device)},
                                   {QStringLiteral("present"), port != nullptr}});
    }

    console.say(QString());
    console.say(present.empty() ? Cli::tr("No serial device is present.")
                                : Cli::tr("Serial devices present:"));
    QJsonArray devices;
    for (const PresentPort& port : present) {
        QString line = Text(port.device);
        if (port.systemConsole) {
            line += u' ' + Cli::tr("(the system console; never used)");
        } else if (!port.realUart) {
            line += u' ' + Cli::tr("(no UART behind it)");
        }
        console.say(line);
        SayField(console, Cli::tr("by-id:"), port.byId);
        SayField(console, Cli::tr("description:"), port.description);
        SayField(console, Cli::tr("manufacturer:"), port.manufacturer);
        if (port.usb) {
            SayField(console, Cli::tr("USB VID:PID:"), UsbText(*port.usb).toStdString());
        }
        SayField(console, Cli::tr("serial number:"), port.serialNumber);
        devices.append(PortJson(port));
    }
    QJsonObject report{{QStringLiteral("command"), QStringLiteral("ports")},
                       {QStringLiteral("mapping"), mapping},
                       {QStringLiteral("devices"), devices}};
    return Finish(report, ExitCode::Done, console);
}

} // namespace veloris::cli
