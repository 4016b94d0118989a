#include "portinfo/port_listing.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include <QSerialPortInfo>

#include <sys/stat.h>

#include "serial/system_console.h"

namespace veloris {

namespace fs = std::filesystem;

namespace {

constexpr int kUnknownUartType = 0; // PORT_UNKNOWN in the kernel's serial core

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

bool IsBuiltInUartNode(const QString& portName) {
    return portName.startsWith(u"ttyS");
}

bool IsConsole(const std::string& device, const std::vector<dev_t>& consoles) {
    struct stat status {};
    return ::stat(device.c_str(), &status) == 0 && S_ISCHR(status.st_mode) &&
           IsSystemConsole(status.st_rdev, consoles);
}

PresentPort Describe(const QSerialPortInfo& info, const std::vector<dev_t>& consoles) {
    PresentPort port;
    port.device = Utf8(info.systemLocation());
    port.description = Utf8(info.description());
    port.realUart = !IsBuiltInUartNode(info.portName()) || HasUartBehind(Utf8(info.portName()));
    port.manufacturer = Utf8(info.manufacturer());
    port.byId = ByIdName(port.device);
    if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
        port.usb = UsbId{info.vendorIdentifier(), info.productIdentifier()};
    }
    port.serialNumber = Utf8(info.serialNumber());
    port.systemConsole = IsConsole(port.device, consoles);
    return port;
}

} // namespace

bool HasUartBehind(const std::string& portName, const fs::path& ttyClassDir) {
    std::ifstream typeFile(ttyClassDir / portName / "type");
    int uartType = kUnknownUartType;
    if (!(typeFile >> uartType)) {
        return true;
    }
    return uartType != kUnknownUartType;
}

std::string ByIdName(const std::string& device, const fs::path& byIdDir) {
    std::error_code error;
    const fs::path target = fs::canonical(device, error);
    if (error) {
        return {};
    }
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(byIdDir, error)) {
        std::error_code entryError;
        if (fs::canonical(entry.path(), entryError) == target && !entryError) {
            names.push_back(entry.path().string());
        }
    }
    // One adapter can have several names (one per interface); the first in order is stable.
    std::sort(names.begin(), names.end());
    return names.empty() ? std::string{} : names.front();
}

std::vector<PresentPort> ListPresentPorts() {
    const std::vector<dev_t> consoles = SystemConsoleDevices();
    std::vector<PresentPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ports.push_back(Describe(info, consoles));
    }
    return ports;
}

} // namespace veloris
