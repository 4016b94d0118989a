// The three buttons end to end: FRMprogram clicked as a user would, the real termios port,
// and the simulated board on a pseudo-terminal.

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include "pty_window_bench.h"

using namespace veloris;
using veloris::testing::ScriptedDialogs;

namespace {

using testing::kDataBoxes;
using testing::kValueBoxes;

// A window whose COM1 to COM4 all lead to one simulated board.
struct Bench : testing::PtyWindowBench {
    using PtyWindowBench::PtyWindowBench;
    void setAll(std::uint16_t value) {
        for (const SlotEntry& slot : kSlots) {
            board->setSlotValue(slot.address, value);
        }
    }
};

Bytes Hex(const char* text) {
    Bytes bytes;
    for (const auto& pair : QString(text).split(' ', Qt::SkipEmptyParts)) {
        bytes.push_back(static_cast<std::uint8_t>(pair.toUInt(nullptr, 16)));
    }
    return bytes;
}

} // namespace

class OperationsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void readFillsEveryBoxFromACooperativeBoard() {
        Bench bench;
        bench.setAll(100);
        bench.click("CmdRead");
        for (int slot = 0; slot < 4; ++slot) {
            QCOMPARE(bench.text(kDataBoxes[slot]), QString(" CC 00 64 DD"));
            QCOMPARE(bench.text(kValueBoxes[slot]), QString("100"));
        }
        QCOMPARE(bench.log(), QString(">06<06>04>F8>A9<CC>CC<00>00<64>64<DD>DD"));
        QVERIFY(bench.dialogs->messages.empty());
        QVERIFY(bench.portIsFree());

        bench.board->setSlotValue(0xF894, 36000);
        bench.board->setSlotValue(0xF8A9, 65535);
        bench.click("CmdRead"); // a second read replaces what the first one left
        QCOMPARE(bench.text("Tdata1"), QString(" CC 8C A0 DD"));
        QCOMPARE(bench.text("TValeur1"), QString("36000"));
        QCOMPARE(bench.text("TdataTempo"), QString(" CC FF FF DD"));
        QCOMPARE(bench.text("TvaleurTempo"), QString("65535"));
        QCOMPARE(bench.text("Tdata2"), QString(" CC 00 64 DD"));
    }

    void readShowsNoValueForASlotTheBoardDidNotDeliver() {
        Bench bench(BoardBehaviour::SilentAt(0xF899));
        bench.setAll(1000);
        bench.type("TValeur2", "777");
        bench.click("CmdRead");
        QCOMPARE(bench.text("Tdata1"), QString(" CC 03 E8 DD"));
        QCOMPARE(bench.text("TValeur1"), QString("1000"));
        // Neither the previous slot's value nor what was typed: the box is empty.
        QCOMPARE(bench.text("Tdata2"), QString(""));
        QCOMPARE(bench.text("TValeur2"), QString(""));
        QCOMPARE(bench.text("Tvaleur3"), QString("1000"));
        QCOMPARE(bench.text("TvaleurTempo"), QString("1000"));
        QVERIFY(bench.portIsFree());
    }

    void readShowsNoValueForAMisframedRecord() {
        Bench bench(BoardBehaviour::WrongFrame());
        bench.setAll(100);
        bench.click("CmdRead");
        for (int slot = 0; slot < 4; ++slot) {
            QCOMPARE(bench.text(kDataBoxes[slot]), QString(" CE 00 64 DE"));
            QCOMPARE(bench.text(kValueBoxes[slot]), QString(""));
        }
    }

    void readTakesARecordSentInABurstByteByByte() {
        Bench bench(BoardBehaviour::Burst());
        bench.setAll(35999);
        bench.click("CmdRead");
        for (int slot = 0; slot < 4; ++slot) {
            QCOMPARE(bench.text(kDataBoxes[slot]), QString(" CC 8C 9F DD"));
            QCOMPARE(bench.text(kValueBoxes[slot]), QString("35999"));
        }
    }

    void readWithNoBoardEndsWithEmptyBoxesAfterFourTimeOuts() {
        Bench bench(BoardBehaviour::Silent());
        bench.type("TValeur1", "500");
        QElapsedTimer timer;
        timer.start();
        bench.click("CmdRead");
        const double seconds = timer.elapsed() / 1000.0;
        QVERIFY2(seconds > 5.9 && seconds < 10.5, qPrintable(QString::number(seconds)));
        for (int slot = 0; slot < 4; ++slot) {
            QCOMPARE(bench.text(kDataBoxes[slot]), QString(""));
            QCOMPARE(bench.text(kValueBoxes[slot]), QString(""));
        }
        QCOMPARE(bench.log(), QString(">06<No Reply Error"));
        QCOMPARE(bench.board->receivedByBoard(), Hex("06 06 06 06"));
        QVERIFY(bench.portIsFree());
    }

    void writeSendsTheWorkedExample() {
        Bench bench;
        bench.type("TValeur1", "1000");
        bench.click("CmdWrite");
        QCOMPARE(bench.text("Tdata1"), QString("CC 03 E8 DD"));
        QCOMPARE(bench.log(), QString(">05<05>04>F8>94>CC<CC>03<03>E8<E8>DD<DD>DD"));
        QVERIFY(bench.board->waitForReceived(9, std::chrono::seconds(2)));
        QCOMPARE(bench.board->receivedByBoard(), Hex("05 04 F8 94 CC 03 E8 DD DD"));
        QCOMPARE(bench.board->eeprom().slotValue(0xF894), std::uint16_t{1000});
        QVERIFY(bench.dialogs->messages.empty());
        QVERIFY(bench.portIsFree());
    }

    void writeOfAllFourSlotsAfterAReadIsReadBack() {
        Bench bench;
        bench.setAll(100);
        bench.click("CmdRead");
        const char* const values[] = {"1200", "34 000", "5", "65535"};
        for (int slot = 0; slot < 4; ++slot) {
            bench.type(kValueBoxes[slot], values[slot]);
        }
        bench.click("CmdWrite");
        QVERIFY(bench.dialogs->messages.empty());
        QVERIFY(bench.log().startsWith(">05<05>04>F8>A9>CC<CC"));
        // A read sends 8 bytes per slot, a write 9; the headers went to the slots in order.
        QVERIFY(bench.board->waitForReceived(kSlotCount * (8 + 9), std::chrono::seconds(2)));
        const Bytes received = bench.board->receivedByBoard();
        std::vector<std::uint16_t> headers;
        for (std::size_t i = 0; i + 3 < received.size(); ++i) {
            if (received[i] == 0x05 && received[i + 1] == 0x04) {
                headers.push_back(
                    static_cast<std::uint16_t>(received[i + 2] << 8 | received[i + 3]));
                i += 3;
            }
        }
        std::vector<std::uint16_t> addresses;
        for (const SlotEntry& slot : kSlots) {
            addresses.push_back(slot.address);
        }
        QCOMPARE(headers, addresses);
        QCOMPARE(bench.board->eeprom().slotValue(0xF899), std::uint16_t{34000});

        for (const char* box : kValueBoxes) {
            bench.type(box, "");
        }
        bench.click("CmdRead");
        QCOMPARE(bench.text("TValeur1"), QString("1200"));
        QCOMPARE(bench.text("TValeur2"), QString("34000"));
        QCOMPARE(bench.text("Tvaleur3"), QString("5"));
        QCOMPARE(bench.text("TvaleurTempo"), QString("65535"));
    }

    void writeRefusesValuesTheBoardCannotHoldAndSendsNothing() {
        for (const char* refused :
             {"abc", "12abc", "12,5", "100.5", "-1", "70000", "1e9", "0x10"}) {
            Bench bench;
            bench.type("TValeur1", refused);
            bench.click("CmdWrite");
            QCOMPARE(bench.dialogs->messages.size(), std::size_t{1});
            const QString message = QString::fromStdString(bench.dialogs->messages.front());
            QVERIFY2(message.contains("- sidéral") && message.contains(refused),
                     qPrintable(message));
            QCOMPARE(bench.text("Tdata1"), QString(""));
            QCOMPARE(bench.log(), QString("")); // the port was not even opened
        }
        // An empty value box of a slot whose record was read is refused too, and names its row.
        Bench bench;
        bench.click("CmdRead");
        bench.type("TValeur1", "100");
        bench.type("TValeur2", "");
        bench.type("TvaleurTempo", "99999");
        // The read's last echo may still be on its way to the board.
        QVERIFY(bench.board->waitForReceived(8 * kSlotCount, std::chrono::seconds(2)));
        const Bytes beforeWrite = bench.board->receivedByBoard();
        bench.click("CmdWrite");
        const QString message = QString::fromStdString(bench.dialogs->messages.back());
        QVERIFY2(message.contains("- rattrapage") && message.contains("Tempo PV/GV") &&
                     !message.contains("sidéral"),
                 qPrintable(message));
        QCOMPARE(bench.board->receivedByBoard(), beforeWrite);
    }

    void writeToASilentBoardIsNotShownAsDone() {
        Bench bench(BoardBehaviour::Silent());
        bench.type("TValeur1", "1000");
        bench.click("CmdWrite");
        QCOMPARE(bench.text("Tdata1"), QString(""));
        QCOMPARE(bench.dialogs->messages.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(bench.dialogs->messages.front()).contains("- sidéral"));
        QCOMPARE(bench.log(), QString(">05<No Reply Error>CC<No Reply>No Byte"));
        QCOMPARE(bench.board->receivedByBoard(), Hex("05 CC"));
        QVERIFY(bench.portIsFree());
    }

    void writeWithOneWrongEchoNamesThatRowAndKeepsTheWire() {
        Bench bench(BoardBehaviour::WrongEchoOnce(2, 0x55));
        bench.setAll(100);
        bench.click("CmdRead");
        bench.type("TValeur1", "1000");
        bench.click("CmdWrite");
        // Every written slot met the wrong echo of its second record byte.
        QCOMPARE(bench.dialogs->messages.size(), std::size_t{1});
        const QString message = QString::fromStdString(bench.dialogs->messages.front());
        QVERIFY(message.contains("- sidéral") && message.contains("Tempo PV/GV"));
        for (const char* box : kDataBoxes) {
            QCOMPARE(bench.text(box), QString(""));
        }
        QCOMPARE(bench.log(), QString(">05<05>04>F8>A9>CC<CC>00<55>64<64>DD<DD>DD"));
    }

    void programLoadRunsTheMonitorExchange() {
        DebugMonitorReply reply;
        reply.trailer = "OK";
        reply.trailerWithLastEcho = true;
        Bench bench(BoardSetup({}, reply));
        bench.dialogs->answer = [] { return std::string("C:\\.S19"); };
        bench.click("BTNcharge_program");
        QCOMPARE(bench.log(),
                 QString("Open COM 1 9600,N,8,1>01<01>04<04>03<03>00<00>00<03<12<34"
                         "<00<00<00<00<00<00<00<00<00<00<00>06<06>06<06>12<12>34<34>34"));
        QVERIFY(bench.board->waitForReceived(10, std::chrono::seconds(2)));
        QCOMPARE(bench.board->receivedByBoard(), Hex("01 04 03 00 00 06 06 12 34 34"));
        QCOMPARE(bench.text("EDTprg"), QString("OK"));
        QCOMPARE(bench.dialogs->messages,
                 (std::vector<std::string>{
                     "Attention, cette action remplace le programme de votre contrôle télescope",
                     "télescope arrêté?"}));
        QVERIFY(bench.portIsFree());
    }

    void programLoadCancelledTouchesNothing() {
        Bench bench;
        bench.window->exchangeLog().setText("previous");
        bench.dialogs->answer = [] { return std::string(); };
        bench.click("BTNcharge_program");
        QCOMPARE(bench.text("EDTprg"), QString(""));
        QCOMPARE(bench.log(), QString("previous"));
        QVERIFY(bench.board->receivedByBoard().empty());
        QCOMPARE(bench.dialogs->messages.size(), std::size_t{1});
    }

    void programLoadShowsWrongAnswersAndGoesOn() {
        Bench bench(BoardBehaviour::WrongEcho(0x02));
        bench.dialogs->answer = [] { return std::string("firmware.s19"); };
        bench.click("BTNcharge_program");
        QCOMPARE(bench.dialogs->messages.at(1), std::string("erreur init com debug"));
        QCOMPARE(bench.dialogs->messages.at(2), std::string("erreur init stop debug"));
        QCOMPARE(bench.dialogs->messages.at(3), std::string("erreur stop debug"));
        QCOMPARE(bench.dialogs->messages.back(), std::string("télescope arrêté?"));
        QVERIFY(bench.log().startsWith("Open COM 1 9600,N,8,1>01<02>04<02>03"));
    }

    void programLoadRecordsAFourteenByteBurst() {
        DebugMonitorReply reply;
        reply.furtherBytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        Bench bench(BoardSetup(BoardBehaviour::Burst(), reply));
        bench.dialogs->answer = [] { return std::string("x"); };
        bench.click("BTNcharge_program");
        QVERIFY2(bench.log().contains("<03<12<34<01<02<03<04<05<06<07<08<09<0A<0B>06<06>06<06>12<12"
                                      ">34<34>34"),
                 qPrintable(bench.log()));
        QCOMPARE(bench.dialogs->messages.size(), std::size_t{2});
    }

    void programLoadWithASilentBoardShowsEachMessageInTurn() {
        Bench bench(BoardBehaviour::Silent());
        bench.dialogs->answer = [] { return std::string("   "); };
        bench.click("BTNcharge_program");
        QCOMPARE(bench.dialogs->messages,
                 (std::vector<std::string>{
                     "Attention, cette action remplace le programme de votre contrôle télescope",
                     "erreur init com debug", "erreur init stop debug", "erreur stop debug",
                     "télescope arrêté?"}));
        QCOMPARE(bench.text("EDTprg"), QString(""));
        QCOMPARE(bench.board->receivedByBoard(), Hex("01 04 03 06"));
        QVERIFY(bench.portIsFree());
    }

    void aCloseRequestDuringAnOperationWaitsForItsEnd() {
        Bench bench(BoardBehaviour::Silent());
        QTimer::singleShot(300, bench.window.get(), [&] { bench.window->close(); });
        bench.click("CmdRead");
        // The read ran to its end; only then did the window close.
        QCOMPARE(bench.log(), QString(">06<No Reply Error"));
        QTRY_VERIFY_WITH_TIMEOUT(!bench.window->isVisible(), 2000);
        QVERIFY(bench.portIsFree());
    }
};

QTEST_MAIN(OperationsTest)
#include "test_operations.moc"
