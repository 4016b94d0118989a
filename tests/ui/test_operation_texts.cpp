// The window's words for what the core reports: the open failures and the COM tooltips.

#include <QtTest>

#include "ui/operation_texts.h"

using namespace veloris;

class OperationTextsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void openFailuresNameThePortTheDeviceAndWhatToDo() {
        const std::string denied = OpenFailureMessage(
            3, OpenFailure{OpenFailure::Reason::PermissionDenied, "/dev/ttyUSB0", "EACCES", {}});
        QVERIFY(denied.find("COM3 (/dev/ttyUSB0)") != std::string::npos);
        QVERIFY(denied.find("dialout") != std::string::npos);

        const std::string busy =
            OpenFailureMessage(1, OpenFailure{OpenFailure::Reason::Busy, "/dev/ttyS0", "", {}});
        QVERIFY(busy.find("COM1 (/dev/ttyS0)") != std::string::npos);
        QVERIFY(busy.find("autre programme") != std::string::npos);
    }

    void comTooltipsNameTheDeviceAndWhatTheSystemKnowsOfIt() {
        // Made field by field: what the system knows varies from port to port.
        PresentPort ftdi;
        ftdi.device = "/dev/ttyUSB0";
        ftdi.description = "FT232R USB UART";
        ftdi.manufacturer = "FTDI";
        ftdi.byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";
        ftdi.usb = UsbId{0x0403, 0x6001};
        ftdi.serialNumber = "A1B2C3";
        PresentPort ch340;
        ch340.device = "/dev/ttyUSB1";
        ch340.description = "USB Serial";
        ch340.manufacturer = "USB Serial"; // said twice by the adapter, once here
        ch340.usb = UsbId{0x1a86, 0x7523};
        PresentPort modem;
        modem.device = "/dev/ttyACM1";
        const std::vector<PresentPort> ordered{ftdi, ch340, modem};

        QCOMPARE(DescribeComm(1, ordered),
                 std::string("/dev/ttyUSB0 — FT232R USB UART, FTDI\n"
                             "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0\n"
                             "USB 0403:6001, n° de série A1B2C3"));
        QCOMPARE(DescribeComm(2, ordered), std::string("/dev/ttyUSB1 — USB Serial\nUSB 1a86:7523"));
        QCOMPARE(DescribeComm(3, ordered), std::string("/dev/ttyACM1"));
        QCOMPARE(DescribeComm(4, ordered), std::string("/dev/ttyS3 (aucun port détecté)"));
    }
};

QTEST_MAIN(OperationTextsTest)
#include "test_operation_texts.moc"
