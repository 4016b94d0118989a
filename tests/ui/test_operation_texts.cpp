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

    void comTooltipsNameTheDeviceAndWhatItIs() {
        const std::vector<PresentPort> ordered{{"/dev/ttyUSB0", "FT232R USB UART", true},
                                               {"/dev/ttyACM1", "", true}};
        QCOMPARE(DescribeComm(1, ordered), std::string("/dev/ttyUSB0 — FT232R USB UART"));
        QCOMPARE(DescribeComm(2, ordered), std::string("/dev/ttyACM1"));
        QCOMPARE(DescribeComm(3, ordered), std::string("/dev/ttyS2 (aucun port détecté)"));
    }
};

QTEST_MAIN(OperationTextsTest)
#include "test_operation_texts.moc"
