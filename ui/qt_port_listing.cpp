#include "ui/qt_port_listing.h"

#include <fstream>

#include <QSerialPortInfo>

#include "ui/qt_text.h"

namespace veloris {

namespace {

constexpr int kUnknownUartType = 0; // PORT_UNKNOWN in the kernel's serial core

bool IsBuiltInUartNode(const QString& portName) {
    return portName.startsWith(u"ttyS");
}

std::string Describe(const QSerialPortInfo& info) {
    QStringList parts;
    if (!info.description().isEmpty()) {
        parts << info.description();
    }
    if (!info.manufacturer().isEmpty() && info.manufacturer() != info.description()) {
        parts << info.manufacturer();
    }
    return ToUtf8(parts.join(u", "));
}

} // namespace

bool HasUartBehind(const std::string& portName, const std::filesystem::path& ttyClassDir) {
    std::ifstream typeFile(ttyClassDir / portName / "type");
    int uartType = kUnknownUartType;
    if (!(typeFile >> uartType)) {
        return true;
    }
    return uartType != kUnknownUartType;
}

std::vector<PresentPort> ListPresentPorts() {
    std::vector<PresentPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PresentPort port;
        port.device = ToUtf8(info.systemLocation());
        port.description = Describe(info);
        port.realUart =
            !IsBuiltInUartNode(info.portName()) || HasUartBehind(ToUtf8(info.portName()));
        ports.push_back(std::move(port));
    }
    return ports;
}

} // namespace veloris
