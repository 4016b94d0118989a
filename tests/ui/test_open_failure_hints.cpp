// The hints added to the open-failure messages, with the system's probes answered here.

#include <QtTest>

#include "ui/open_failure_hints.h"

using veloris::HintProbes;
using veloris::OpenFailure;

namespace {

OpenFailure Failed(OpenFailure::Reason reason, std::string device,
                   std::optional<OpenFailure::Holder> holder = std::nullopt) {
    return OpenFailure{reason, std::move(device), "", std::move(holder)};
}

HintProbes Probes(bool modemManagerRuns, bool brlttyInstalled) {
    return HintProbes{
        [=](std::string_view name) { return modemManagerRuns && name == "ModemManager"; },
        [=] { return brlttyInstalled; }};
}

} // namespace

class TestOpenFailureHints : public QObject {
    Q_OBJECT

  private slots:
    void holderModemManagerAndBrltty();
};

void TestOpenFailureHints::holderModemManagerAndBrltty() {
    using Reason = OpenFailure::Reason;
    QCOMPARE(veloris::HolderText(OpenFailure::Holder{"minicom", 1234}),
             std::string(" (minicom, pid 1234)"));
    QCOMPARE(veloris::HolderText(OpenFailure::Holder{"", 77}), std::string(" (pid 77)"));

    // ModemManager: when it holds the busy port, or may hold it unseen; never otherwise.
    const std::string held = veloris::ModemManagerHint(
        Failed(Reason::Busy, "/dev/ttyACM0", OpenFailure::Holder{"ModemManager", 812}),
        Probes(false, false));
    QVERIFY(held.starts_with("\n"));
    QVERIFY(held.find("KERNEL==\"ttyACM0\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"") != std::string::npos);
    const OpenFailure unseen = Failed(Reason::Busy, "/dev/ttyUSB1");
    QVERIFY(!veloris::ModemManagerHint(unseen, Probes(true, false)).empty());
    QVERIFY(veloris::ModemManagerHint(unseen, Probes(false, false)).empty());
    QVERIFY(veloris::ModemManagerHint(
                Failed(Reason::Busy, "/dev/ttyUSB1", OpenFailure::Holder{"minicom", 99}),
                Probes(true, false))
                .empty());

    // brltty: one sentence, for a missing USB adapter while it is installed.
    const std::string brltty =
        veloris::BrlttyHint(Failed(Reason::Absent, "/dev/ttyUSB0"), Probes(false, true));
    QVERIFY(brltty.starts_with("\nLe programme brltty"));
    QCOMPARE(std::count(brltty.begin(), brltty.end(), '\n'), 1);
    QCOMPARE(brltty.find(". "), std::string::npos);
    QVERIFY(
        veloris::BrlttyHint(Failed(Reason::Absent, "/dev/ttyUSB0"), Probes(false, false)).empty());
    QVERIFY(veloris::BrlttyHint(Failed(Reason::Absent, "/dev/ttyS2"), Probes(false, true)).empty());
    QVERIFY(veloris::BrlttyHint(Failed(Reason::Busy, "/dev/ttyUSB0"), Probes(false, true)).empty());
}

QTEST_GUILESS_MAIN(TestOpenFailureHints)
#include "test_open_failure_hints.moc"
