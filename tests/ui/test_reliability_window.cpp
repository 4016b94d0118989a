// The window against a line that fails: the cable pulled in the middle of each operation,
// a port that cannot be opened, and value boxes holding texts no board value is made of.
// FRMprogram is clicked as a user would, through the real termios port, with the simulated
// board on a pseudo-terminal. Every fault must end within a bound, which each test asserts.

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

#include <chrono>
#include <memory>
#include <string>

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "pty_window_bench.h"

using namespace veloris;
using veloris::testing::ScriptedDialogs;

namespace {

using namespace std::chrono_literals;

// A fault on the line must not hold the window longer than this.
constexpr auto kFaultBound = 3s;

using testing::kDataBoxes;
using testing::kValueBoxes;
const char* const kOperations[] = {"CmdRead", "CmdWrite", "BTNcharge_program"};

using Bench = testing::PtyWindowBench;

bool WithinBound(std::chrono::milliseconds took, const char* what) {
    qInfo("%s ended in %lld ms", what, static_cast<long long>(took.count()));
    return took < kFaultBound;
}

// What every pulled cable must leave: the operation over, the port closed, the loss in
// the log and told to the user.
void CheckLineLost(Bench& bench) {
    QVERIFY(!bench.window->operationRunning());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr); // the wait cursor is gone
    QVERIFY(!bench.window->comm1().portOpen());
    QVERIFY2(bench.log().endsWith(" Port lost"), qPrintable(bench.log()));
    int lossMessages = 0;
    for (const std::string& message : bench.dialogs->messages) {
        lossMessages += QString::fromStdString(message).contains("a été perdue") ? 1 : 0;
    }
    QCOMPARE(lossMessages, 1);
}

EepromImage WithSlotValue(EepromImage image, std::uint16_t address, std::uint16_t value) {
    image.setSlotValue(address, value);
    return image;
}

// How the window run without root's rights ends.
constexpr int kToldInChild = 0;
constexpr int kNotToldInChild = 1;
constexpr int kCouldNotDropRoot = 2;
constexpr uid_t kNobody = 65534;

} // namespace

class ReliabilityWindowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void cablePulledDuringAReadEndsItAndAReconnectedBoardIsRead() {
        // A read sends eight bytes a slot: the board goes away with slot 2's header.
        Bench bench(BoardBehaviour::DisconnectAfter(12));
        const EepromImage before = bench.board->eeprom();
        bench.type("Tvaleur3", "777");
        QVERIFY(WithinBound(bench.click("CmdRead"), "cable pulled during a read"));
        CheckLineLost(bench);
        QCOMPARE(bench.log(), QString(">06<06>04>F8>99 Port lost"));
        QCOMPARE(bench.text("Tdata1"), QString(" CC 00 64 DD"));
        QCOMPARE(bench.text("TValeur1"), QString("100"));
        for (int slot = 1; slot < 4; ++slot) {
            QCOMPARE(bench.text(kDataBoxes[slot]), QString(""));
            QCOMPARE(bench.text(kValueBoxes[slot]), QString(""));
        }
        QCOMPARE(bench.board->eeprom().record(0xF894), before.record(0xF894));

        bench.reconnect();
        bench.board->setSlotValue(0xF899, 36000);
        bench.click("CmdRead");
        QCOMPARE(bench.dialogs->messages.size(), std::size_t{1});
        QCOMPARE(bench.text("TValeur2"), QString("36000"));
        QCOMPARE(bench.text("TvaleurTempo"), QString("3000"));
    }

    void cablePulledDuringAWriteKeepsTheSlotsItDidNotReach() {
        // After the read's 32 bytes, slot 1's 9 bytes; then slot 2's header, its first record
        // byte and no more.
        Bench bench(BoardBehaviour::DisconnectAfter(32 + 9 + 6));
        bench.click("CmdRead");
        const EepromImage before = bench.board->eeprom();
        const char* const values[] = {"1200", "4321", "5", "6"};
        for (int slot = 0; slot < 4; ++slot) {
            bench.type(kValueBoxes[slot], values[slot]);
        }
        QVERIFY(WithinBound(bench.click("CmdWrite"), "cable pulled during a write"));
        CheckLineLost(bench);
        QCOMPARE(bench.log(), QString(">05<05>04>F8>99>CC<CC>10 Port lost"));
        // Slot 1 went through whole; slot 2 is not claimed; 3 and 4 were never reached.
        QCOMPARE(bench.text("Tdata1"), QString("CC 04 B0 DD"));
        QCOMPARE(bench.text("Tdata2"), QString(""));
        QCOMPARE(bench.text("Tdata3"), QString(" CC 07 D0 DD"));
        QCOMPARE(bench.text("TdataTempo"), QString(" CC 0B B8 DD"));
        QVERIFY(bench.lastMessage().contains("- rattrapage"));
        QVERIFY(!bench.lastMessage().contains("- centrage"));
        QVERIFY(bench.board->eeprom().record(0xF894) ==
                WithSlotValue(before, 0xF894, 1200).record(0xF894));
        for (const std::uint16_t address : {0xF899, 0xF89E, 0xF8A9}) {
            QVERIFY(bench.board->eeprom().record(address) == before.record(address));
        }

        bench.reconnect();
        bench.click("CmdRead");
        bench.type("TValeur2", "4321");
        QVERIFY(WithinBound(bench.click("CmdWrite"), "write on the reconnected board"));
        QCOMPARE(bench.dialogs->messages.size(), std::size_t{2});
        QCOMPARE(bench.board->eeprom().slotValue(0xF899), std::uint16_t{4321});
    }

    void cablePulledDuringTheProgramLoadEndsIt() {
        // The fourth byte is the 00 of the stop transfer.
        Bench bench(BoardBehaviour::DisconnectAfter(4));
        QVERIFY(
            WithinBound(bench.click("BTNcharge_program"), "cable pulled during a program-load"));
        CheckLineLost(bench);
        QCOMPARE(bench.log(), QString("Open COM 1 9600,N,8,1>01<01>04<04>03<03>00 Port lost"));
        QCOMPARE(bench.text("EDTprg"), QString(""));
        QVERIFY(bench.dialogs->messages.back() != "télescope arrêté?");

        DebugMonitorReply reply;
        reply.trailer = "OK";
        reply.trailerWithLastEcho = true;
        bench.reconnect(BoardSetup({}, reply));
        bench.dialogs->messages.clear();
        QVERIFY(
            WithinBound(bench.click("BTNcharge_program"), "program-load on the reconnected board"));
        QCOMPARE(bench.text("EDTprg"), QString("OK"));
        QCOMPARE(bench.dialogs->messages.size(), std::size_t{2});
        QCOMPARE(bench.dialogs->messages.back(), std::string("télescope arrêté?"));
    }

    void aPortHeldElsewhereOrAbsentIsToldAndNothingIsExchanged() {
        Bench bench;
        bench.type("TValeur1", "1000");
        TermiosPort holder([path = bench.board->slavePath()](int) { return path; });
        QVERIFY(!holder.open().has_value());
        for (const char* operation : kOperations) {
            bench.dialogs->messages.clear();
            QVERIFY(WithinBound(bench.click(operation), "a busy port"));
            QVERIFY2(bench.lastMessage().contains("déjà utilisé par un autre programme") &&
                         bench.lastMessage().contains(QString::fromStdString(*bench.device)),
                     qPrintable(bench.lastMessage()));
            QCOMPARE(bench.log(), QString("Open COM 1 9600,N,8,1 Error: port busy"));
            QVERIFY(!bench.window->operationRunning());
        }
        holder.close();

        *bench.device = "/dev/veloris-no-such-port";
        for (const char* operation : kOperations) {
            bench.dialogs->messages.clear();
            QVERIFY(WithinBound(bench.click(operation), "an absent port"));
            QVERIFY2(bench.lastMessage().contains("ce périphérique n'existe pas") &&
                         bench.lastMessage().contains("/dev/veloris-no-such-port"),
                     qPrintable(bench.lastMessage()));
            QCOMPARE(bench.log(), QString("Open COM 1 9600,N,8,1 Error: no such port"));
        }
        QVERIFY(bench.board->receivedByBoard().empty());
        QCOMPARE(bench.text("Tdata1"), QString(""));
    }

    void aPortRefusedForPermissionIsToldAndNothingIsExchanged() {
        // Root opens any device whatever its mode, so the window runs in a child process
        // with the rights of an ordinary account.
        PtyBoard board;
        QCOMPARE(::chmod(board.slavePath().c_str(), 0), 0);
        const std::string device = board.slavePath();
        const pid_t child = ::fork();
        if (child == 0) {
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                                     ::setuid(kNobody) != 0)) {
                ::_exit(kCouldNotDropRoot);
            }
            WindowServices services;
            services.comm1 = std::make_unique<TermiosPort>([device](int) { return device; });
            auto scripted = std::make_unique<ScriptedDialogs>();
            ScriptedDialogs* dialogs = scripted.get();
            services.dialogs = std::move(scripted);
            services.clock = std::make_unique<SystemClock>();
            // Not shown: a forked child has no painting threads, and a paint would wait for
            // them for ever.
            FRMprogram window(std::move(services));
            window.findChild<QAbstractButton*>("CmdRead")->click();
            const bool told =
                dialogs->messages.size() == 1 &&
                QString::fromStdString(dialogs->messages.front()).contains("accès refusé") &&
                window.exchangeLog().text() == "Open COM 1 9600,N,8,1 Error: permission denied";
            ::_exit(told ? kToldInChild : kNotToldInChild);
        }
        QVERIFY(child > 0);
        int status = 0;
        QElapsedTimer timer;
        timer.start();
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (timer.elapsed() > 10'000) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                QFAIL("the window without rights did not finish");
            }
            QTest::qWait(5);
        }
        QVERIFY(WithinBound(std::chrono::milliseconds(timer.elapsed()),
                            "a port refused for permission (window in a child process)"));
        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == kCouldNotDropRoot) {
            QSKIP("could not run the window without root's rights");
        }
        QCOMPARE(WEXITSTATUS(status), kToldInChild);
        QVERIFY(board.receivedByBoard().empty());
    }

    void valueTextsNoBoardValueIsMadeOfAreRefusedAndNothingIsSent() {
        const QString refused[] = {
            QString(10'000, QChar('7')),           // far beyond 65535
            QString(10'000, QChar('a')),           //
            QString("12") + QChar(0x01) + "3",     // a control character inside
            QString("\r100"),                      //
            QString("100") + QChar(0x7F),          //
            QString::fromUtf8("١٢٣"),              // Arabic-Indic digits
            QString::fromUtf8("１２３"),           // full-width digits
            QString::fromUtf8("三千"),             //
            QString("36") + QChar(0x00A0) + "000", // a no-break space as thousands separator
            "1e9",                                 //
            "0x10",                                //
            "-",                                   //
            "   ",                                 //
            "\t",                                  //
        };
        Bench bench;
        for (const QString& text : refused) {
            bench.dialogs->messages.clear();
            bench.type("TValeur1", text);
            QVERIFY(WithinBound(bench.click("CmdWrite"), "a refused value text"));
            QCOMPARE(bench.dialogs->messages.size(), std::size_t{1});
            QVERIFY2(bench.lastMessage().contains("- sidéral"), qPrintable(text.left(40)));
            // Named whole when short; a page of text by its start and length, so that the
            // message box fits on the screen.
            if (text.size() <= 40) {
                QVERIFY(bench.lastMessage().contains("« " + text + " »"));
            } else {
                QVERIFY2(bench.lastMessage().size() < 300 &&
                             bench.lastMessage().contains(text.left(40) + "… (10000 caractères) »"),
                         qPrintable(bench.lastMessage()));
            }
            QCOMPARE(bench.log(), QString(""));
            QCOMPARE(bench.text("Tdata1"), QString(""));
        }
        QVERIFY(bench.board->receivedByBoard().empty());
    }

    void aLongValueTextIsWrittenWhole() {
        // Cut short at any length, each of these would be read as another number.
        Bench bench;
        bench.type("TValeur1", QString(39'999, QChar('0')) + "5");
        QCOMPARE(bench.text("TValeur1").size(), 40'000);
        bench.click("CmdWrite");
        QCOMPARE(bench.text("Tdata1"), QString("CC 00 05 DD"));
        QVERIFY(bench.board->waitForReceived(9, 2000ms));
        QCOMPARE(bench.board->eeprom().slotValue(0xF894), std::uint16_t{5});

        bench.type("TValeur1", QString("6") + QString(39'998, QChar(' ')) + "1");
        bench.click("CmdWrite");
        QCOMPARE(bench.text("Tdata1"), QString("CC 00 3D DD"));
        QVERIFY(bench.board->waitForReceived(18, 2000ms));
        QCOMPARE(bench.board->eeprom().slotValue(0xF894), std::uint16_t{61});

        bench.type("TValeur1", QString("1") + QString(39'999, QChar('0')));
        bench.click("CmdWrite");
        QVERIFY(bench.lastMessage().contains("- sidéral"));
        QCOMPARE(bench.board->receivedByBoard().size(), std::size_t{18});
        QVERIFY(bench.dialogs->messages.size() == 1);
    }
};

QTEST_MAIN(ReliabilityWindowTest)
#include "test_reliability_window.moc"
