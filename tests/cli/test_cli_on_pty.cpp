// veloris-cli through the real termios port against the simulated board on a
// pseudo-terminal: what it prints, what it puts on the line, and how it ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <signal.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli_process.h"
#include "serial/termios_port.h"
#include "sim/pty_board.h"

using namespace std::chrono_literals;
using namespace veloris;
using veloris::testing::RunCli;

namespace {

QJsonObject Json(const std::string& out) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

std::vector<int> ValuesIn(const QJsonArray& slots, const char* field) {
    std::vector<int> values;
    for (const auto& slot : slots) {
        values.push_back(slot.toObject().value(field).toInt(-1));
    }
    return values;
}

// The write headers the board received, as the addresses they name, in order.
std::vector<std::uint16_t> WrittenAddresses(const Bytes& received) {
    std::vector<std::uint16_t> addresses;
    for (std::size_t i = 0; i + 3 < received.size(); ++i) {
        if (received[i] == 0x05 && received[i + 1] == 0x04 && received[i + 2] == 0xF8) {
            addresses.push_back(static_cast<std::uint16_t>(0xF800 | received[i + 3]));
            i += 8;
        }
    }
    return addresses;
}

// The bytes both ways, in the order the board saw them, as the window's wire recording
// writes them: "wire >06 <06 >04 ...". The process has exited, but the board may not have
// taken its last bytes yet: it is given a moment for as many as `expected` holds.
std::string WireLine(const PtyBoard& board, const std::string& expected) {
    const auto sent = static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '>'));
    (void)board.waitForReceived(sent, 2s);
    std::string line = "wire";
    const WireTrace trace = board.trace();
    for (const WireEvent& event : trace.events()) {
        char text[8];
        std::snprintf(text, sizeof text, " %c%02X",
                      event.direction == WireDirection::HostToBoard ? '>' : '<', event.byte);
        line += text;
    }
    return line;
}

// What the window put on the line for one operation, from its recording (which the
// window's own tests hold it to).
std::string WindowWire(const std::string& operation) {
    std::ifstream fixture(VELORIS_WIRE_FIXTURE);
    std::string line;
    bool inOperation = false;
    while (std::getline(fixture, line)) {
        if (line.starts_with("== ")) {
            inOperation = line == "== " + operation;
        } else if (inOperation && line.starts_with("wire")) {
            return line;
        }
    }
    ADD_FAILURE() << "no recording of \"" << operation << "\" in " VELORIS_WIRE_FIXTURE;
    return {};
}

void ClearTrace(PtyBoard& board) {
    board.withBoard([](BoardModel& model) { model.trace().clear(); });
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            ("veloris-cli-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

} // namespace

TEST(CliOnPty, ReadReportsTheFourSlotsAndPutsTheWindowsBytesOnTheLine) {
    // The window's "Lecture EEPROM" on a board holding the default values.
    PtyBoard fresh;
    ASSERT_EQ(RunCli({"read", "-p", fresh.slavePath()}).status, 0);
    const std::string windowRead = WindowWire("read cooperating");
    EXPECT_EQ(WireLine(fresh, windowRead), windowRead);

    PtyBoard board;
    board.setSlotValue(0xF894, 36000);
    const auto run = RunCli({"read", "-p", board.slavePath(), "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject report = Json(run.out);
    EXPECT_TRUE(report.value("complete").toBool());
    const QJsonArray slots = report.value("slots").toArray();
    EXPECT_EQ(ValuesIn(slots, "value"), (std::vector<int>{36000, 1000, 2000, 3000}));
    EXPECT_EQ(slots[0].toObject().value("record").toString(), "CC 8C A0 DD");
    EXPECT_EQ(slots[3].toObject().value("address").toString(), "F8A9");
    EXPECT_TRUE(run.err.empty()) << run.err; // no progress line when stderr is no terminal

    // On a terminal, one progress line rewritten in place, and erased before the end.
    const auto shown = RunCli({"read", "-p", board.slavePath()}, "C", 10s, {}, true);
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.err.find("\r\x1b[KReading: slot 4 of 4"), std::string::npos) << shown.err;
    EXPECT_TRUE(shown.err.ends_with("\r\x1b[K")) << shown.err;

    // For people: one row per slot, and the exchange on stderr with -v.
    const auto human = RunCli({"read", "-p", board.slavePath(), "-v"});
    EXPECT_EQ(human.status, 0);
    EXPECT_NE(human.out.find("sidereal  F894     CC 8C A0 DD  36000"), std::string::npos)
        << human.out;
    EXPECT_NE(human.err.find(">06<06>04>F8>A9<CC>CC<0B>0B<B8>B8<DD>DD\n"), std::string::npos)
        << human.err;
}

TEST(CliOnPty, FullWriteMatchesTheWindowAndASubsetSendsOnlyItsBlocks) {
    // The window's "Ecriture EEPROM" of 1200, 34 000, 5 and 65535.
    PtyBoard board;
    const auto full = RunCli({"write", "-p", board.slavePath(), "--no-verify", "--sidereal", "1200",
                              "--guiding", "34 000", "--centring", "5", "--tempo", "65535"});
    ASSERT_EQ(full.status, 0) << full.err;
    EXPECT_NE(full.out.find("switched off and on again"), std::string::npos) << full.out;
    const std::string windowWrite = WindowWire("write all cooperating");
    EXPECT_EQ(WireLine(board, windowWrite), windowWrite);

    ClearTrace(board);
    const auto subset =
        RunCli({"write", "-p", board.slavePath(), "--json", "--tempo", "300", "--guiding", "900"});
    ASSERT_EQ(subset.status, 0) << subset.err;
    ASSERT_TRUE(board.waitForReceived(18 + 2 * 8, 2s));
    const Bytes received = board.receivedByBoard();
    EXPECT_EQ(WrittenAddresses(received), (std::vector<std::uint16_t>{0xF899, 0xF8A9}));
    // The verify reads the two written slots and no other: 2 x 9 bytes written, then two
    // read blocks of a header and four echoes.
    ASSERT_EQ(received.size(), 18u + 2 * 8);
    const Bytes readBack(received.begin() + 18, received.begin() + 18 + 2 * 8);
    EXPECT_EQ(Bytes(readBack.begin(), readBack.begin() + 4), (Bytes{0x06, 0x04, 0xF8, 0x99}));
    EXPECT_EQ(Bytes(readBack.begin() + 8, readBack.begin() + 12), (Bytes{0x06, 0x04, 0xF8, 0xA9}));
    const QJsonArray written = Json(subset.out).value("written").toArray();
    ASSERT_EQ(written.size(), 2);
    for (const auto& slot : written) {
        EXPECT_EQ(slot.toObject().value("status").toString(), "confirmed");
        EXPECT_TRUE(slot.toObject().value("verified").toBool());
    }
    EXPECT_EQ(board.eeprom().slotValue(0xF899), 900);
    EXPECT_EQ(board.eeprom().slotValue(0xF8A9), 300);
    EXPECT_EQ(board.eeprom().slotValue(0xF894), 1200);
}

TEST(CliOnPty, AWriteTheBoardDoesNotEchoRightIsNotReportedDone) {
    PtyBoard board(BoardBehaviour::WrongEchoOnce(2));
    const auto run = RunCli({"write", "-p", board.slavePath(), "--json", "--centring", "2500"});
    EXPECT_EQ(run.status, 1) << run.err;
    const QJsonObject slot = Json(run.out).value("written").toArray()[0].toObject();
    EXPECT_EQ(slot.value("status").toString(), "not-confirmed");
    EXPECT_EQ(slot.value("first_failure").toObject().value("position").toInt(), 2);
}

TEST(CliOnPty, BackupThenRestoreWritesOnlyTheSlotsThatChanged) {
    PtyBoard board;
    const std::string file = TempPath("backup.json");
    std::filesystem::remove(file);
    ASSERT_EQ(RunCli({"backup", "-p", board.slavePath(), file}).status, 0);
    const QJsonObject saved = Json([&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }());
    EXPECT_EQ(saved.value("format").toString(), "veloris-parameters");
    EXPECT_EQ(ValuesIn(saved.value("slots").toArray(), "value"),
              (std::vector<int>{100, 1000, 2000, 3000}));
    // An existing file is kept unless --force.
    EXPECT_EQ(RunCli({"backup", "-p", board.slavePath(), file}).status, 2);
    EXPECT_EQ(RunCli({"backup", "-p", board.slavePath(), "--force", file}).status, 0);

    board.setSlotValue(0xF89E, 2222);
    EXPECT_EQ(RunCli({"verify", "-p", board.slavePath(), file}).status, 1);
    ClearTrace(board);
    const auto dry = RunCli({"restore", "-p", board.slavePath(), "--dry-run", file});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("2222     2000     differs"), std::string::npos) << dry.out;
    EXPECT_TRUE(WrittenAddresses(board.receivedByBoard()).empty());

    const auto restore = RunCli({"restore", "-p", board.slavePath(), file});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(WrittenAddresses(board.receivedByBoard()), (std::vector<std::uint16_t>{0xF89E}));
    EXPECT_EQ(board.eeprom().slotValue(0xF89E), 2000);
    EXPECT_EQ(RunCli({"verify", "-p", board.slavePath(), file}).status, 0);
    std::filesystem::remove(file);
}

TEST(CliOnPty, AFailingLineEndsWithItsOwnExitCode) {
    // A silent board: four time-outs of about two seconds, then exit 1.
    PtyBoard silent(BoardBehaviour::Silent());
    const auto quiet = RunCli({"read", "-p", silent.slavePath(), "--json"});
    EXPECT_EQ(quiet.status, 1) << quiet.err;
    EXPECT_LT(quiet.took, 12s);
    EXPECT_FALSE(Json(quiet.out).value("complete").toBool());

    // Unplugged in the second slot of a write.
    PtyBoard unplugged(BoardBehaviour::DisconnectAfter(12));
    const auto lost = RunCli({"write", "-p", unplugged.slavePath(), "--sidereal", "1", "--guiding",
                              "2", "--centring", "3", "--tempo", "4"});
    EXPECT_EQ(lost.status, 4) << lost.err;
    EXPECT_NE(lost.err.find("was lost"), std::string::npos) << lost.err;
    EXPECT_LT(lost.took, 10s);

    // Held by another program: nothing is sent.
    PtyBoard board;
    TermiosPort holder([&](int) { return board.slavePath(); });
    ASSERT_FALSE(holder.open().has_value());
    const auto busy = RunCli({"read", "-p", board.slavePath(), "--json"});
    EXPECT_EQ(busy.status, 3) << busy.err;
    EXPECT_EQ(Json(busy.out).value("error").toObject().value("reason").toString(), "busy");
    EXPECT_NE(busy.err.find("another program is using it"), std::string::npos) << busy.err;
    EXPECT_TRUE(board.receivedByBoard().empty());
}

TEST(CliOnPty, ATerminationSignalEndsTheRunAtABlockBoundary) {
    // The board cannot abort a block: bytes sent after a record left half-way would be
    // stored into it. Each signal comes in the middle of the second record.
    constexpr std::size_t kBlockBytes = 9;
    for (const int signal : {SIGTERM, SIGHUP}) {
        PtyBoard slow(BoardBehaviour::Slow(5ms) | BoardBehaviour::Pacing());
        const EepromImage before = slow.eeprom();
        const auto run = RunCli(
            {"write", "-p", slow.slavePath(), "--json", "--sidereal", "1", "--guiding", "2",
             "--centring", "3", "--tempo", "4"},
            "C", 10s, [&] { return slow.receivedByBoard().size() >= kBlockBytes + 6; }, false,
            signal);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(Json(run.out).value("error").toObject().value("kind").toString(), "interrupted");
        ASSERT_TRUE(slow.waitUntil([](const BoardModel& model) { return model.idle(); }, 2s));
        EXPECT_EQ(slow.receivedByBoard().size(), 2 * kBlockBytes);
        // Every record whole: new up to the second slot, old after it.
        const EepromImage after = slow.eeprom();
        for (std::size_t i = 0; i < kSlotCount; ++i) {
            const std::uint16_t address = kSlots[i].address;
            EXPECT_EQ(after.record(address)[0], EepromImage::kRecordOpen);
            EXPECT_EQ(after.record(address)[3], EepromImage::kRecordClose);
            EXPECT_EQ(after.slotValue(address), i < 2 ? i + 1 : before.slotValue(address));
        }
        // The board waits inside no block: a following read stores nothing.
        EXPECT_EQ(RunCli({"read", "-p", slow.slavePath()}).status, 0);
        for (const SlotEntry& slot : kSlots) {
            EXPECT_EQ(slow.eeprom().record(slot.address), after.record(slot.address));
        }
    }
}
