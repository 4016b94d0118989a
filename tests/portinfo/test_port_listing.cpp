// The port listing: which ttyS nodes have a UART behind them, the by-id name of a device,
// and what Qt finds here.

#include <filesystem>
#include <fstream>

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include "portinfo/port_listing.h"
#include "serial/system_console.h"

namespace fs = std::filesystem;
using veloris::ByIdName;
using veloris::HasUartBehind;
using veloris::ListPresentPorts;

class TestPortListing : public QObject {
    Q_OBJECT

  private slots:
    void uartTypeTellsRealFromEmptyNodes();
    void byIdNameIsTheLinkThatLeadsToTheDevice();
    void listedPortsAreDevicesOnThisMachine();
};

void TestPortListing::uartTypeTellsRealFromEmptyNodes() {
    QTemporaryDir sysfs;
    QVERIFY(sysfs.isValid());
    const fs::path root = sysfs.path().toStdString();
    auto node = [&](const char* name, const char* type) {
        fs::create_directories(root / name);
        std::ofstream(root / name / "type") << type;
    };
    node("ttyS0", "4\n"); // 16550A
    node("ttyS1", "0\n"); // nothing there
    node("ttyS2", "junk\n");
    fs::create_directories(root / "ttyS3"); // no type file

    QVERIFY(HasUartBehind("ttyS0", root));
    QVERIFY(!HasUartBehind("ttyS1", root));
    // What cannot be read is not hidden.
    QVERIFY(HasUartBehind("ttyS2", root));
    QVERIFY(HasUartBehind("ttyS3", root));
    QVERIFY(HasUartBehind("ttyS9", root));
}

void TestPortListing::byIdNameIsTheLinkThatLeadsToTheDevice() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const fs::path root = dir.path().toStdString();
    const fs::path byId = root / "by-id";
    fs::create_directories(byId);
    std::ofstream(root / "ttyUSB0").put('\0');
    std::ofstream(root / "ttyUSB1").put('\0');
    // udev's names are relative links, e.g. ../../ttyUSB0; an adapter with two interfaces
    // has one name each.
    fs::create_symlink("../ttyUSB0", byId / "usb-FTDI_FT232R_USB_UART_A1-if00-port0");
    fs::create_symlink("../ttyUSB1", byId / "usb-Prolific_PL2303_B2-if01-port0");
    fs::create_symlink("../ttyUSB1", byId / "usb-Prolific_PL2303_B2-if00-port0");
    fs::create_symlink("../gone", byId / "usb-dangling");

    QCOMPARE(ByIdName((root / "ttyUSB0").string(), byId),
             (byId / "usb-FTDI_FT232R_USB_UART_A1-if00-port0").string());
    QCOMPARE(ByIdName((root / "ttyUSB1").string(), byId),
             (byId / "usb-Prolific_PL2303_B2-if00-port0").string());
    // Reached through its own by-id name, the device still finds it.
    QCOMPARE(ByIdName((byId / "usb-FTDI_FT232R_USB_UART_A1-if00-port0").string(), byId),
             (byId / "usb-FTDI_FT232R_USB_UART_A1-if00-port0").string());
    QCOMPARE(ByIdName((root / "ttyACM0").string(), byId), std::string());
    QCOMPARE(ByIdName((root / "ttyUSB0").string(), root / "no-such-dir"), std::string());
}

void TestPortListing::listedPortsAreDevicesOnThisMachine() {
    const std::vector<dev_t> consoles = veloris::SystemConsoleDevices();
    for (const veloris::PresentPort& port : ListPresentPorts()) {
        QVERIFY2(port.device.starts_with("/dev/"), port.device.c_str());
        QVERIFY2(fs::exists(port.device), port.device.c_str());
        struct stat status {};
        QCOMPARE(::stat(port.device.c_str(), &status), 0);
        QCOMPARE(port.systemConsole, veloris::IsSystemConsole(status.st_rdev, consoles));
        const std::string name = fs::path(port.device).filename();
        if (name.starts_with("ttyS")) {
            QCOMPARE(port.realUart, HasUartBehind(name));
        } else {
            QVERIFY(port.realUart);
        }
    }
}

QTEST_GUILESS_MAIN(TestPortListing)
#include "test_port_listing.moc"
