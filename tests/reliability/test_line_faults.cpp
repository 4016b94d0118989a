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
#include "serial/byte_exchange.h"
#include "serial/termios_port.h"
#include "sim/answering_prompts.h"
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

// One operation through the real port to `board`, timed.
struct Host {
    explicit Host(PtyBoard& board) : port([&board](int) { return board.slavePath(); }) {}

    template <typename Operation> milliseconds run(Operation operation) {
        OperationLine line{port, log, clock};
        const auto start = steady_clock::now();
        operation(line);
        return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
    }
    milliseconds read() {
        return run([this](OperationLine& line) { lastRead = ReadSlots(line); });
    }
    void expectReadSound() const {
        ASSERT_EQ(lastRead.slots.size(), kSlotCount);
        for (const SlotRead& slot : lastRead.slots) {
            EXPECT_EQ(testing::ReadSlotProblem(slot), "");
        }
    }

    TermiosPort port;
    SystemClock clock;
    StringLog log;
    AnsweringPrompts prompts;
    ReadResult lastRead;
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
    const milliseconds took = host.read();
    std::printf("read through a flood: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, kReadBound);
    EXPECT_FALSE(host.port.portOpen());
    host.expectReadSound();
    ExpectChangedOnlyByTheWrite(before, board.eeprom(), {});
}

TEST(LineFaults, AWriteThroughAFloodChangesOnlyTheSlotsItWrites) {
    PtyBoard board;
    const EepromImage before = board.eeprom();
    board.inject(Noise(kFloodBytes, 3));
    Host host(board);
    WriteRequest request;
    std::map<std::uint16_t, std::uint16_t> written;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        request.values[slot] = static_cast<std::uint16_t>(1200 + 7919 * slot);
        written[kSlots[slot].address] = *request.values[slot];
    }
    NoiseDuring flood(board, 12, Noise(kFloodBytes, 4)); // in slot 2's record
    const milliseconds took =
        host.run([&request](OperationLine& line) { (void)WriteSlots(line, request); });
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
    const milliseconds took = host.read();
    std::printf("read from random answers: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, kQuickBound);
    EXPECT_FALSE(host.port.portOpen());
    host.expectReadSound();
}

TEST(LineFaults, WrongEchoesAtEveryStepChangeNothingOnTheBoard) {
    {
        PtyBoard board(BoardBehaviour::WrongEcho());
        const EepromImage before = board.eeprom();
        Host host(board);
        const milliseconds took = host.read();
        std::printf("read with wrong echoes: %lld ms\n", static_cast<long long>(took.count()));
        EXPECT_LT(took, kReadBound);
        EXPECT_FALSE(host.port.portOpen());
        for (const SlotRead& slot : host.lastRead.slots) {
            EXPECT_TRUE(slot.record.empty());
            EXPECT_EQ(slot.fault, RecordFault::NoEcho);
        }
        WaitForQuietLine(board);
        ExpectChangedOnlyByTheWrite(before, board.eeprom(), {});
    }
    {
        PtyBoard board(BoardBehaviour::WrongEcho());
        const EepromImage before = board.eeprom();
        Host host(board);
        WriteRequest request;
        request.values[0] = 1000;
        WriteResult result;
        const milliseconds took =
            host.run([&](OperationLine& line) { result = WriteSlots(line, request); });
        std::printf("write with wrong echoes: %lld ms\n", static_cast<long long>(took.count()));
        EXPECT_LT(took, kQuickBound);
        EXPECT_FALSE(host.port.portOpen());
        EXPECT_EQ(result.slots.at(0).status, SlotWrite::Status::NotConfirmed);
        EXPECT_EQ(result.slots.at(0).firstFailure->stage, FailedByte::Stage::CommandEcho);
        WaitForQuietLine(board);
        ExpectChangedOnlyByTheWrite(before, board.eeprom(), {{0xF894, 1000}});
    }
    {
        PtyBoard board(BoardBehaviour::WrongEcho());
        const EepromImage before = board.eeprom();
        Host host(board);
        const milliseconds took =
            host.run([&host](OperationLine& line) { (void)ProgramLoad(line, host.prompts); });
        std::printf("program-load with wrong echoes: %lld ms\n",
                    static_cast<long long>(took.count()));
        EXPECT_LT(took, kQuickBound);
        EXPECT_FALSE(host.port.portOpen());
        EXPECT_EQ(host.prompts.failedChecks.size(), 3u);
        EXPECT_EQ(host.prompts.stoppedQuestions, 1);
        WaitForQuietLine(board);
        ExpectChangedOnlyByTheWrite(before, board.eeprom(), {});
    }
}

} // namespace
} // namespace veloris
