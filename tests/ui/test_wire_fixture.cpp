// Every byte on the line and every text the window shows, for each operation against each
// kind of board, compared with a recording kept in wire_fixture.txt: the bytes both ways in
// the order the board saw them, each change of every text box in the order it happened,
// each message and question, and every box after the operation.
//
// Run with VELORIS_RECORD_FIXTURE=1 to write the recording anew from what the window does.

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "pty_window_bench.h"
#include "ui/program_log_box.h"

using namespace veloris;

namespace {

// A silent board costs a byte time-out per awaited byte. This clock runs twice as fast as
// the system's on both of its faces, so a time-out lasts about a second; the pty
// board still answers within milliseconds, so no byte and no text changes.
class FastClock final : public Clock {
  public:
    static constexpr double kSpeed = 2.0;

    double secondsSinceMidnight() override { return startOfDay_ + kSpeed * realSeconds(); }
    std::chrono::steady_clock::time_point steadyNow() override {
        return start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(kSpeed * realSeconds()));
    }

  private:
    double realSeconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    double startOfDay_ = SystemClock().secondsSinceMidnight();
};

const char* const kTextBoxes[] = {
    "Taddr1", "Tdata1",   "TValeur1",   "Taddr2",     "Tdata2",       "TValeur2", "Taddr3",
    "Tdata3", "Tvaleur3", "TaddrTempo", "TdataTempo", "TvaleurTempo", "Text1",    "Tcomm"};

// Control characters and the backslash written out, so each entry stays on one line.
QString Escaped(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c.unicode() < 0x20) {
            out += QString("\\x%1").arg(c.unicode(), 2, 16, QChar('0'));
        } else {
            out += c;
        }
    }
    return out;
}

QString WireLine(const WireTrace& trace) {
    QStringList bytes;
    for (const WireEvent& event : trace.events()) {
        bytes << QString("%1%2")
                     .arg(event.direction == WireDirection::HostToBoard ? '>' : '<')
                     .arg(event.byte, 2, 16, QChar('0'))
                     .toUpper();
    }
    return "wire " + bytes.join(' ');
}

// One scenario's record: every change as it happens, then the state it ends in.
class Recorder : public QObject {
  public:
    explicit Recorder(testing::PtyWindowBench& bench) : bench_(bench) {
        for (const char* name : kTextBoxes) {
            auto* box = bench.window->findChild<QLineEdit*>(name);
            QVERIFY(box != nullptr);
            connect(box, &QLineEdit::textChanged, this,
                    [this, name](const QString& text) { note(name, text); });
        }
        programLog_ = bench.window->findChild<ProgramLogBox*>("EDTprg");
        QVERIFY(programLog_ != nullptr);
        lastProgramLog_ = programLog_->storedText();
        connect(programLog_, &QPlainTextEdit::textChanged, this, [this] {
            if (programLog_->storedText() != lastProgramLog_) {
                lastProgramLog_ = programLog_->storedText();
                note("EDTprg", QString::fromStdString(lastProgramLog_));
            }
        });
        bench.dialogs->onMessage = [this](const std::string& text) {
            lines_ << "message " + withoutDevice(Escaped(QString::fromStdString(text)));
        };
        answer_ = bench.dialogs->answer;
        bench.dialogs->answer = [this] {
            lines_ << "question";
            return answer_();
        };
    }

    QStringList finish() {
        // The last bytes may still be on their way to the board.
        std::size_t seen = 0;
        for (int quiet = 0; quiet < 3;) {
            QTest::qWait(50);
            const std::size_t now = bench_.board->trace().events().size();
            quiet = now == seen ? quiet + 1 : 0;
            seen = now;
        }
        lines_ << WireLine(bench_.board->trace());
        for (const char* name : kTextBoxes) {
            lines_ << QString("after %1 = %2").arg(name, Escaped(bench_.text(name)));
        }
        lines_ << "after EDTprg = " + Escaped(QString::fromStdString(programLog_->storedText()));
        return lines_;
    }

  private:
    void note(const char* name, const QString& text) {
        lines_ << QString("%1 = %2").arg(name, Escaped(text));
    }
    // The pseudo-terminal's name changes from run to run.
    QString withoutDevice(QString text) const {
        return text.replace(QString::fromStdString(bench_.board->slavePath()), "PTY");
    }

    testing::PtyWindowBench& bench_;
    ProgramLogBox* programLog_ = nullptr;
    std::string lastProgramLog_;
    std::function<std::string()> answer_;
    QStringList lines_;
};

struct Scenario {
    const char* name;
    BoardSetup board;
    const char* button;
    std::function<void(testing::PtyWindowBench&)> prepare = [](testing::PtyWindowBench&) {};
};

// A read leaves " CC hh ll DD" in a data box; it is what lets slots 2 to 4 be written.
void ShowReadRecords(testing::PtyWindowBench& bench) {
    for (const char* box : testing::kDataBoxes) {
        bench.window->findChild<QLineEdit*>(box)->setText(" CC 00 64 DD");
    }
}

void TypeFourValues(testing::PtyWindowBench& bench) {
    ShowReadRecords(bench);
    const char* const values[] = {"1200", "34 000", "5", "65535"};
    for (int slot = 0; slot < 4; ++slot) {
        bench.type(testing::kValueBoxes[slot], values[slot]);
    }
}

void TypeSlotOne(testing::PtyWindowBench& bench) {
    bench.type("TValeur1", "1000");
}

void NoDevice(testing::PtyWindowBench& bench) {
    *bench.device = "/dev/veloris-fixture-absent";
}

void Cancel(testing::PtyWindowBench& bench) {
    bench.dialogs->answer = [] { return std::string(); };
}

BoardSetup Answering() {
    DebugMonitorReply reply;
    reply.furtherBytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    reply.trailer = "OK\xE9";
    reply.trailerWithLastEcho = true;
    return BoardSetup({}, reply);
}

BoardSetup Lost(std::size_t afterBytes) {
    return BoardBehaviour::DisconnectAfter(afterBytes);
}

const BoardSetup kSilent = BoardBehaviour::Silent();
const BoardSetup kWrongEchoes = BoardBehaviour::WrongEcho();
const BoardSetup kWrongRecordEcho = BoardBehaviour::WrongEchoOnce(2, 0x55);

QString FixturePath() {
    return QStringLiteral(VELORIS_WIRE_FIXTURE);
}

bool Recording() {
    return qEnvironmentVariableIsSet("VELORIS_RECORD_FIXTURE");
}

// The recorded sections by scenario name: "== name" opens each.
std::map<QString, QStringList> ReadFixture() {
    QFile file(FixturePath());
    std::map<QString, QStringList> sections;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return sections;
    }
    QStringList* current = nullptr;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith("== ")) {
            current = &sections[line.mid(3)];
        } else if (current != nullptr && !line.isEmpty()) {
            *current << line;
        }
    }
    return sections;
}

} // namespace

class WireFixtureTest : public QObject {
    Q_OBJECT

  private:
    std::map<QString, QStringList> expected_;
    std::map<QString, QStringList> recorded_;

    void run(const Scenario& scenario) {
        testing::PtyWindowBench bench(scenario.board, std::make_unique<FastClock>());
        scenario.prepare(bench);
        Recorder recorder(bench);
        bench.click(scenario.button);
        const QStringList actual = recorder.finish();
        if (Recording()) {
            recorded_[scenario.name] = actual;
            return;
        }
        const auto found = expected_.find(scenario.name);
        QVERIFY2(found != expected_.end(), scenario.name);
        const QStringList& wanted = found->second;
        for (qsizetype i = 0; i < std::min(wanted.size(), actual.size()); ++i) {
            QVERIFY2(actual[i] == wanted[i],
                     qPrintable(QString("%1, line %2:\n  got  %3\n  want %4")
                                    .arg(scenario.name)
                                    .arg(i + 1)
                                    .arg(actual[i], wanted[i])));
        }
        QCOMPARE(actual.size(), wanted.size());
    }

    void runAll(std::initializer_list<Scenario> scenarios) {
        for (const Scenario& scenario : scenarios) {
            run(scenario);
            if (QTest::currentTestFailed()) {
                return;
            }
        }
    }

  private slots:
    void initTestCase() {
        if (!Recording()) {
            expected_ = ReadFixture();
            QVERIFY2(!expected_.empty(), qPrintable(FixturePath()));
        }
    }

    void cleanupTestCase() {
        if (!Recording()) {
            return;
        }
        // Sections of the functions not run this time are kept as they were.
        std::map<QString, QStringList> all = ReadFixture();
        for (const auto& [name, lines] : recorded_) {
            all[name] = lines;
        }
        QFile file(FixturePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        for (const auto& [name, lines] : all) {
            file.write(("== " + name + "\n" + lines.join('\n') + "\n\n").toUtf8());
        }
    }

    void read() {
        // A read sends eight bytes a slot: the line goes with the echo of slot 2's byte 2.
        runAll({
            {"read cooperating", Answering(), "CmdRead"},
            {"read silent", kSilent, "CmdRead"},
            {"read wrong echoes", kWrongEchoes, "CmdRead"},
            {"read misframed", BoardBehaviour::WrongFrame(), "CmdRead"},
            {"read lost mid-record", Lost(14), "CmdRead"},
            {"read no device", Answering(), "CmdRead", NoDevice},
        });
    }

    void writeAllFour() {
        // A write sends nine bytes a slot: the line goes with slot 2's record byte 2. Every
        // echo wrong is left to the write of slot 1 alone: from the second slot on, the
        // board's late answers race the host's time-outs.
        runAll({
            {"write all cooperating", Answering(), "CmdWrite", TypeFourValues},
            {"write all silent", kSilent, "CmdWrite", TypeFourValues},
            {"write all wrong record echo", kWrongRecordEcho, "CmdWrite", TypeFourValues},
            {"write all lost mid-record", Lost(15), "CmdWrite", TypeFourValues},
            {"write refused values", Answering(), "CmdWrite",
             [](testing::PtyWindowBench& bench) {
                 ShowReadRecords(bench);
                 bench.type("TValeur1", "abc");
                 bench.type("TValeur2", "");
                 bench.type("Tvaleur3", "70000");
                 bench.type("TvaleurTempo", "1234567890123456789012345678901234567890123");
             }},
        });
    }

    void writeSlotOne() {
        runAll({
            {"write one cooperating", Answering(), "CmdWrite", TypeSlotOne},
            {"write one silent", kSilent, "CmdWrite", TypeSlotOne},
            {"write one wrong echoes", kWrongEchoes, "CmdWrite", TypeSlotOne},
            {"write one wrong record echo", kWrongRecordEcho, "CmdWrite", TypeSlotOne},
            {"write one lost mid-record", Lost(6), "CmdWrite", TypeSlotOne},
            {"write one no device", Answering(), "CmdWrite",
             [](testing::PtyWindowBench& bench) {
                 TypeSlotOne(bench);
                 NoDevice(bench);
             }},
        });
    }

    void programLoad() {
        runAll({
            {"program-load cooperating", Answering(), "BTNcharge_program"},
            {"program-load silent", kSilent, "BTNcharge_program"},
            {"program-load wrong echoes", kWrongEchoes, "BTNcharge_program"},
            {"program-load lost at start", Lost(1), "BTNcharge_program"},
            {"program-load lost mid-record", Lost(4), "BTNcharge_program"},
            {"program-load cancelled", Answering(), "BTNcharge_program", Cancel},
            {"program-load no device", Answering(), "BTNcharge_program", NoDevice},
        });
    }
};

QTEST_MAIN(WireFixtureTest)
#include "test_wire_fixture.moc"
