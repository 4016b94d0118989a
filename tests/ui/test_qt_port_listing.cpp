// The port listing: which ttyS nodes have a UART behind them, and what Qt finds here.

#include <filesystem>
#include <fstream>

#include <QTemporaryDir>
#include <QtTest>

#include "ui/qt_port_listing.h"

namespace fs = std::filesystem;
using veloris::HasUartBehind;
using veloris::ListPresentPorts;

class TestQtPortListing : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void uartTypeTellsRealFromEmptyNodes();
    void listedPortsAreDevicesOnThisMachine();
};

void TestQtPortListing::uartTypeTellsRealFromEmptyNodes() {
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

void TestQtPortListing::listedPortsAreDevicesOnThisMachine() {
    for (const veloris::PresentPort& port : ListPresentPorts()) {
        QVERIFY2(port.device.starts_with("/dev/"), port.device.c_str());
        QVERIFY2(fs::exists(port.device), port.device.c_str());
        const std::string name = fs::path(port.device).filename();
        if (name.starts_with("ttyS")) {
            QCOMPARE(port.realUart, HasUartBehind(name));
        } else {
            QVERIFY(port.realUart);
        }
    }
}

QTEST_GUILESS_MAIN(TestQtPortListing)
#include "test_qt_port_listing.moc"
