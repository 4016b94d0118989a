// Boards that misbehave on a real line: the operations through the termios port, the
// simulated board on a pseudo-terminal. A board flooding the line with noise, one that
// answers random bytes, one whose every echo is wrong. Whatever they do the operation ends
// within its bound, the port is closed, what a read shows is made of whole framed records,
// and the board's EEPROM changes only where a write had the right to change it.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "operation_doubles.h"
#include "operations/operations.h"
#include "read_boxes_check.h"
#include "serial/byte_exchange.h"
#include "serial/termios_port.h"
#include "sim/pty_board.h"

namespace veloris {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr std::size_t kFloodBytes = 10'000;
// The longest a byte wait may last, and the bounds the faults below are held to: a board
// that answers noise or wrong bytes quickly must cost no more byte waits than a silent one
// costs for its headers alone (four for a read), and usually far fewer.
constexpr milliseconds kByteWait = ByteExchange::kSteadyBound;
constexpr auto kReadBound = 4 * kByteWait;
constexpr auto kWriteBound = 4 * kByteWait;
constexpr auto kQuickBound = 2 * kByteWait;

Bytes Noise(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes noise(count);
    for (auto& b : noise) {
        b = static_cast<std::uint8_t>(byte(random));
    }
    return noise;
}

// One operation on a window's worth of boxes, through the real port to `board`.
struct Host {
    explicit Host(PtyBoard& board) : port([&board](int) { return board.slavePath(); }) {}

    milliseconds run(void (*operation)(OperationContext&)) {
        OperationContext context{port, boxes, log, dialogs, clock};
        const auto start = steady_clock::now();
        operation(context);
        return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
    }
    void expectReadBoxesSound() const {
        for (const ParameterSlot& slot : kParameterSlots) {
            EXPECT_EQ(testing::ReadBoxesProblem(boxes, slot), "");
        }
    }

    TermiosPort port;
    SystemClock clock;
    HeadlessBoxes boxes;
    StringLog log;
    AnsweringDialogs dialogs;
};

// Every EEPROM byte that differs lies in a record of `writtenSlots` and is the byte of the
// record holding the slot's new value.
void ExpectChangedOnlyByTheWrite(const EepromImage& before, const EepromImage& after,
                                 const std::map<std::uint16_t, std::uint16_t>& written) {
    for (std::uint32_t a = EepromImage::kFirstAddress;
         a < EepromImage::kFirstAddress + EepromImage::kSize; ++a) {
        const auto address = static_cast<std::uint16_t>(a);
        if (after.byte(address) == before.byte(address)) {
            continue;
        }
        bool allowed = false;
        for (const auto& [slot, value] : written) {
            EepromImage expected = before;
            expected.setSlotValue(slot, value);
            allowed = allowed || (address >= slot && address < slot + EepromImage::kRecordSize &&
                                  after.byte(address) == expected.byte(address));
        }
        EXPECT_TRUE(allowed) << std::hex << "EEPROM byte " << address << " became "
                             << int{after.byte(address)};
    }
}

// Lets the board take every byte still on its way from the host before its EEPROM is
// looked at: waits until it has received nothing new for a while.
void WaitForQuietLine(const PtyBoard& board) {
    constexpr auto kQuiet = 100ms;
    std::size_t seen = board.receivedByBoard().size();
    while (board.waitForReceived(seen + 1, kQuiet)) {
        seen = board.receivedByBoard().size();
    }
}

// Puts noise on the line once the board has received `afterBytes` bytes.
class NoiseDuring {
  public:
    NoiseDuring(PtyBoard& board, std::size_t afterBytes, Bytes noise)
        : thread_([&board, afterBytes, noise = std::move(noise)](std::stop_token stop) {
              while (!stop.stop_requested()) {
                  if (board.waitForReceived(afterBytes, 20ms)) {
                      board.inject(noise);
                      return;
                  }
              }
          }) {}

  private:
    std::jthread thread_;
};

// A board that knows nothing of the protocol: it answers each byte it receives with up to
// three bytes, the first of them half the time an echo of that byte, the others random.
class RandomAnswers {
  public:
    explicit RandomAnswers(PtyBoard& board)
        : thread_([&board](std::stop_token stop) {
              std::mt19937 random(6);
              std::uniform_int_distribution<int> byte(0, 255);
              std::uniform_int_distribution<int> count(1, 3);
              std::bernoulli_distribution echoes(0.5);
              std::size_t answered = 0;
              while (!stop.stop_requested()) {
                  if (!board.waitForReceived(answered + 1, 20ms)) {
                      continue;
                  }
                  for (const std::size_t received = board.receivedByBoard().size();
                       answered < received; ++answered) {
                      Bytes answer(static_cast<std::size_t>(count(random)));
                      for (auto& b : answer) {
                          b = static_cast<std::uint8_t>(byte(random));
                      }
                      if (echoes(random)) {
                          answer.front() = board.receivedByBoard().at(answered);
                      }
                      board.inject(answer);
                  }
              }
          }) {}

  private:
    std::jthread thread_;
};

TEST(LineFaults, AReadThroughAFloodEndsInTimeAndShowsOnlyWholeRecords) {
    PtyBoard board;
    const EepromImage before = board.eeprom();
    board.inject(Noise(kFloodBytes, 1)); // waiting on the line before the port opens
    Host host(board);
    NoiseDuring flood(board, 5, Noise(kFloodBytes, 2)); // in slot 1's record
    const milliseconds took = host.run(&ReadParameters);
    std::printf("read through a flood: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, kReadBound);
    EXPECT_FALSE(host.port.portOpen());
    host.expectReadBoxesSound();
    ExpectChangedOnlyByTheWrite(before, board.eeprom(), {});
}

TEST(LineFaults, AWriteThroughAFloodChangesOnlyTheSlotsItWrites) {
    PtyBoard board;
    const EepromImage before = board.eeprom();
    board.inject(Noise(kFloodBytes, 3));
    Host host(board);
    const std::uint16_t values[] = {1200, 34000, 5, 65535};
    std::map<std::uint16_t, std::uint16_t> written;
    for (std::size_t slot = 0; slot < 4; ++slot) {
        testing::ShowReadRecord(host.boxes, kParameterSlots[slot], 100);
        host.boxes.setText(kParameterSlots[slot].valueBox, std::to_string(values[slot]));
        written[EepromImage::kSlotAddresses[slot]] = values[slot];
    }
    NoiseDuring flood(board, 12, Noise(kFloodBytes, 4)); // in slot 2's record
    const milliseconds took = host.run(&WriteParameters);
    std::printf("write through a flood: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, kWriteBound);
    EXPECT_FALSE(host.port.portOpen());
    WaitForQuietLine(board);
    ExpectChangedOnlyByTheWrite(before, board.eeprom(), written);
}

TEST(LineFaults, AReadFromABoardAnsweringRandomBytesShowsOnlyWholeRecords) {
    PtyBoard board(BoardBehaviour::Silent());
    RandomAnswers answers(board);
    Host host(board);
    const milliseconds took = host.run(&ReadParameters);
    std::printf("read from random answers: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, kQuickBound);
    EXPECT_FALSE(host.port.portOpen());
    host.expectReadBoxesSound();
}

TEST(LineFaults, WrongEchoesAtEveryStepChangeNothingOnTheBoard) {
    {
        PtyBoard board(BoardBehaviour::WrongEcho());
        const EepromImage before = board.eeprom();
        Host host(board);
        const milliseconds took = host.run(&ReadParameters);
        std::printf("read with wrong echoes: %lld ms\n", static_cast<long long>(took.count()));
        EXPECT_LT(took, kReadBound);
        EXPECT_FALSE(host.port.portOpen());
        for (const ParameterSlot& slot : kParameterSlots) {
            EXPECT_EQ(host.boxes.text(slot.dataBox), "");
            EXPECT_EQ(host.boxes.text(slot.valueBox), "");
        }
        WaitForQuietLine(board);
        ExpectChangedOnlyByTheWrite(before, board.eeprom(), {});
    }
    {
        PtyBoard board(BoardBehaviour::WrongEcho());
        const EepromImage before = board.eeprom();
        Host host(board);
        host.boxes.setText("TValeur1", "1000");
        const milliseconds took = host.run(&WriteParameters);
        std::printf("write with wrong echoes: %lld ms\n", static_cast<long long>(took.count()));
        EXPECT_LT(took, kQuickBound);
        EXPECT_FALSE(host.port.portOpen());
        EXPECT_EQ(host.boxes.text("Tdata1"), "");
        EXPECT_EQ(host.dialogs.count("- sidéral"), 1);
        WaitForQuietLine(board);
        ExpectChangedOnlyByTheWrite(before, board.eeprom(), {{0xF894, 1000}});
    }
    {
        PtyBoard board(BoardBehaviour::WrongEcho());
        const EepromImage before = board.eeprom();
        Host host(board);
        const milliseconds took = host.run(&ProgramLoad);
        std::printf("program-load with wrong echoes: %lld ms\n",
                    static_cast<long long>(took.count()));
        EXPECT_LT(took, kQuickBound);
        EXPECT_FALSE(host.port.portOpen());
        for (const char* complaint :
             {"erreur init com debug", "erreur init stop debug", "erreur stop debug"}) {
            EXPECT_EQ(host.dialogs.count(complaint), 1) << complaint;
        }
        EXPECT_EQ(host.dialogs.count("télescope arrêté?"), 1);
        WaitForQuietLine(board);
        ExpectChangedOnlyByTheWrite(before, board.eeprom(), {});
    }
}

} // namespace
} // namespace veloris
