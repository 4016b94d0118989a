#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "sim/pty_board.h"

namespace veloris {
namespace {

using namespace std::chrono_literals;

// The host's end of the line, opened on the slave as a serial device would be.
class SlaveEnd {
  public:
    explicit SlaveEnd(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios settings{};
        if (fd_ >= 0 && tcgetattr(fd_, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~SlaveEnd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    SlaveEnd(const SlaveEnd&) = delete;
    SlaveEnd& operator=(const SlaveEnd&) = delete;

    bool valid() const { return fd_ >= 0; }

    void write(Bytes bytes) const {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Waits for input and takes what one read gives.
    Bytes readOnce(std::chrono::milliseconds timeout = 2000ms) const {
        pollfd watch{fd_, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(timeout.count())) <= 0 ||
            (watch.revents & POLLIN) == 0) {
            return {};
        }
        Bytes buffer(64);
        const ssize_t count = ::read(fd_, buffer.data(), buffer.size());
        buffer.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
        return buffer;
    }
    // Reads a record as the host does: each byte sent back as it comes.
    Bytes echoRecord(std::size_t count) const {
        Bytes record;
        while (record.size() < count) {
            const Bytes got = readOnce();
            if (got.empty()) {
                break;
            }
            record.insert(record.end(), got.begin(), got.end());
            write(got);
        }
        return record;
    }
    int fd() const { return fd_; }

  private:
    int fd_;
};

TEST(PtyBoard, ReadsARecordAndSurvivesTheHostReopening) {
    PtyBoard board;
    board.setSlotValue(0xF899, 0x8CA0);
    {
        SlaveEnd first(board.slavePath());
        ASSERT_TRUE(first.valid());
        first.write({0x06});
        EXPECT_EQ(first.readOnce(), Bytes{0x06});
    }
    SlaveEnd host(board.slavePath());
    ASSERT_TRUE(host.valid());
    EXPECT_FALSE(board.hungUp());
    host.write({0x04, 0xF8, 0x99});
    EXPECT_EQ(host.echoRecord(4), (Bytes{0xCC, 0x8C, 0xA0, 0xDD}));
    ASSERT_TRUE(board.waitForReceived(8, 2s));
    EXPECT_EQ(board.receivedByBoard(), (Bytes{0x06, 0x04, 0xF8, 0x99, 0xCC, 0x8C, 0xA0, 0xDD}));
    EXPECT_EQ(board.sentByBoard(), (Bytes{0x06, 0xCC, 0x8C, 0xA0, 0xDD}));
}

TEST(PtyBoard, WritesIntoTheImageAcrossTheLine) {
    PtyBoard board;
    SlaveEnd host(board.slavePath());
    host.write({0x05});
    EXPECT_EQ(host.readOnce(), Bytes{0x05});
    host.write({0x04, 0xF8, 0x94});
    for (const std::uint8_t byte : {0xCC, 0x03, 0xE8, 0xDD}) {
        host.write({byte});
        EXPECT_EQ(host.readOnce(), Bytes{byte});
    }
    host.write({0xDD});
    ASSERT_TRUE(board.waitForReceived(9, 2s));
    EXPECT_EQ(board.eeprom().slotValue(0xF894), 1000);
}

TEST(PtyBoard, BurstArrivesTogether) {
    PtyBoard board(BoardBehaviour::Burst());
    SlaveEnd host(board.slavePath());
    host.write({0x06});
    EXPECT_EQ(host.readOnce(), Bytes{0x06});
    host.write({0x04, 0xF8, 0x94});
    EXPECT_EQ(host.readOnce(), (Bytes{0xCC, 0x00, 0x64, 0xDD}));
}

TEST(PtyBoard, DebugStreamWaitsUntilTheHostReadEachByte) {
    PtyBoard board;
    SlaveEnd host(board.slavePath());
    for (const std::uint8_t byte : {0x01, 0x04, 0x03, 0x00}) {
        host.write({byte});
        EXPECT_EQ(host.readOnce(), Bytes{byte});
    }
    host.write({0x00});
    Bytes stream;
    for (int i = 0; i < 14; ++i) {
        std::this_thread::sleep_for(10ms); // a slow reader still gets one byte per read
        const Bytes got = host.readOnce();
        ASSERT_EQ(got.size(), 1u) << "read " << i;
        stream.push_back(got[0]);
    }
    EXPECT_EQ(stream, (Bytes{0x03, 0x12, 0x34, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PtyBoard, DisconnectHangsUpTheHostsEnd) {
    PtyBoard board(BoardBehaviour::DisconnectAfter(2));
    SlaveEnd host(board.slavePath());
    host.write({0x06});
    EXPECT_EQ(host.readOnce(), Bytes{0x06});
    host.write({0x04});
    ASSERT_TRUE(board.waitUntil([](const BoardModel& model) { return model.hungUp(); }, 2s));
    pollfd watch{host.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&watch, 1, 2000), 1);
    EXPECT_NE(watch.revents & POLLHUP, 0);
    std::uint8_t byte = 0;
    const ssize_t got = ::read(host.fd(), &byte, 1);
    EXPECT_TRUE(got == 0 || (got == -1 && errno == EIO)) << "read gave " << got;
    EXPECT_EQ(::write(host.fd(), &byte, 1), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_TRUE(board.hungUp());
}

TEST(PtyBoard, PacingMakesThirteenBytesTakeThirteenByteTimes) {
    PtyBoard board(BoardBehaviour::Pacing());
    SlaveEnd host(board.slavePath());
    const auto start = std::chrono::steady_clock::now();
    host.write({0x06});
    EXPECT_EQ(host.readOnce(), Bytes{0x06});
    host.write({0x04, 0xF8, 0x94});
    EXPECT_EQ(host.echoRecord(4), (Bytes{0xCC, 0x00, 0x64, 0xDD}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 12 * kLineByteTime)
        << "the last record byte is back";
    ASSERT_TRUE(board.waitForReceived(8, 2s));
    const WireTrace trace = board.trace();
    ASSERT_EQ(trace.events().size(), 13u);
    EXPECT_GE(trace.events().back().at - start, 13 * kLineByteTime);
}

} // namespace
} // namespace veloris
