// The hints added to the open-failure messages, with the system's probes answered here.

#include <QtTest>

#include "ui/open_failure_hints.h"

using veloris::HintProbes;
using veloris::OpenFailure;

namespace {

OpenFailure Failed(OpenFailure::Reason reason, std::string device,
                   std::optional<OpenFailure::Holder> holder = std::nullopt) {
    OpenFailure failure;
    failure.reason = reason;
    failure.device = std::move(device);
    failure.holder = std::move(holder);
    return failure;
}

HintProbes Probes(bool modemManagerRuns, bool brlttyInstalled) {
    return HintProbes{
        [=](std::string_view name) { return modemManagerRuns && name == "ModemManager"; },
        [=] { return brlttyInstalled; }};
}

bool Has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

class TestOpenFailureHints : public QObject {
    Q_OBJECT

  private slots:
    void holderIsNamedWithItsPid();
    void modemManagerHintWhenItHoldsOrMayHoldTheBusyPort();
    void brlttyHintForAVanishedUsbAdapterOnly();
};

void TestOpenFailureHints::holderIsNamedWithItsPid() {
    QCOMPARE(veloris::HolderText(OpenFailure::Holder{"minicom", 1234}),
             std::string(" (minicom, pid 1234)"));
    QCOMPARE(veloris::HolderText(OpenFailure::Holder{"", 77}), std::string(" (pid 77)"));
    QCOMPARE(veloris::HolderText(Failed(OpenFailure::Reason::Busy, "/dev/ttyUSB0")), std::string());
}

void TestOpenFailureHints::modemManagerHintWhenItHoldsOrMayHoldTheBusyPort() {
    const OpenFailure byIt =
        Failed(OpenFailure::Reason::Busy, "/dev/ttyACM0", OpenFailure::Holder{"ModemManager", 812});
    const std::string hint = veloris::ModemManagerHint(byIt, Probes(false, false));
    QVERIFY(hint.starts_with("\n"));
    QVERIFY(Has(hint, "quelques secondes"));
    QVERIFY(Has(hint, "KERNEL==\"ttyACM0\", ENV{ID_MM_DEVICE_IGNORE}=\"1\""));

    const OpenFailure unseen = Failed(OpenFailure::Reason::Busy, "/dev/ttyUSB1");
    QVERIFY(Has(veloris::ModemManagerHint(unseen, Probes(true, false)), "ID_MM_DEVICE_IGNORE"));
    QCOMPARE(veloris::ModemManagerHint(unseen, Probes(false, false)), std::string());
    // A holder that is someone else, or a port that is not busy, gets no such hint.
    const OpenFailure byMinicom =
        Failed(OpenFailure::Reason::Busy, "/dev/ttyUSB1", OpenFailure::Holder{"minicom", 99});
    QCOMPARE(veloris::ModemManagerHint(byMinicom, Probes(true, false)), std::string());
    QCOMPARE(veloris::ModemManagerHint(Failed(OpenFailure::Reason::Absent, "/dev/ttyUSB1"),
                                       Probes(true, false)),
             std::string());
}

void TestOpenFailureHints::brlttyHintForAVanishedUsbAdapterOnly() {
    const OpenFailure vanished = Failed(OpenFailure::Reason::Absent, "/dev/ttyUSB0");
    const std::string hint = veloris::BrlttyHint(vanished, Probes(false, true));
    QVERIFY(hint.starts_with("\n"));
    QVERIFY(Has(hint, "brltty"));
    // One sentence on a line of its own.
    QCOMPARE(std::count(hint.begin(), hint.end(), '\n'), 1);
    QVERIFY(hint.ends_with("."));
    QCOMPARE(hint.find(". "), std::string::npos);
    QVERIFY(Has(veloris::BrlttyHint(Failed(OpenFailure::Reason::Absent, "/dev/ttyACM2"),
                                    Probes(false, true)),
                "brltty"));
    QCOMPARE(veloris::BrlttyHint(vanished, Probes(false, false)), std::string());
    QCOMPARE(
        veloris::BrlttyHint(Failed(OpenFailure::Reason::Absent, "/dev/ttyS2"), Probes(false, true)),
        std::string());
    QCOMPARE(
        veloris::BrlttyHint(Failed(OpenFailure::Reason::Busy, "/dev/ttyUSB0"), Probes(false, true)),
        std::string());
}

QTEST_GUILESS_MAIN(TestOpenFailureHints)
#include "test_open_failure_hints.moc"
