#include "serial/low_latency.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include <linux/tty_flags.h>

#include <gtest/gtest.h>

#include "support/pty_pair.h"

namespace veloris {
namespace {

using namespace testing_support;

// A device's serial_struct, with the answers of its two ioctls.
struct FakeSerialDevice {
    serial_struct info{};
    int readError = 0;
    int writeError = 0;
    int writes = 0;
};

class FakeSerialFlags final : public SerialFlagsAccess {
  public:
    explicit FakeSerialFlags(FakeSerialDevice& device) : device_(device) {}
    int read(serial_struct& info) override {
        if (device_.readError == 0) {
            info = device_.info;
        }
        return device_.readError;
    }
    int write(const serial_struct& info) override {
        if (device_.writeError == 0) {
            device_.info = info;
            ++device_.writes;
        }
        return device_.writeError;
    }

  private:
    FakeSerialDevice& device_;
};

// An FTDI adapter as the kernel describes it, with close_delay and closing_wait set, which
// only root may change.
FakeSerialDevice Ftdi() {
    FakeSerialDevice device;
    device.info.type = 4;
    device.info.line = 0;
    device.info.flags = ASYNC_SKIP_TEST | ASYNC_SPD_HI;
    device.info.baud_base = 24000000;
    device.info.close_delay = 50;
    device.info.closing_wait = 3000;
    device.info.xmit_fifo_size = 64;
    return device;
}

bool SameExceptFlags(serial_struct a, serial_struct b) {
    a.flags = b.flags = 0;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(LowLatency, AddsOnlyTheFlagAndPutsBackTheFlagsFound) {
    FakeSerialDevice device = Ftdi();
    const serial_struct found = device.info;
    FakeSerialFlags access(device);

    const std::optional<int> flagsFound = TurnOnLowLatency(access);
    ASSERT_TRUE(flagsFound.has_value());
    EXPECT_EQ(*flagsFound, found.flags);
    EXPECT_EQ(device.info.flags, found.flags | ASYNC_LOW_LATENCY);
    EXPECT_TRUE(SameExceptFlags(device.info, found));

    // Whatever the driver made of the other fields meanwhile stays; only the flags go back.
    device.info.baud_base = 3000000;
    PutBackSerialFlags(access, *flagsFound);
    EXPECT_EQ(device.info.flags, found.flags);
    EXPECT_EQ(device.info.baud_base, 3000000);
    EXPECT_EQ(device.info.close_delay, found.close_delay);
    EXPECT_EQ(device.info.closing_wait, found.closing_wait);
}

TEST(LowLatency, ARefusingDeviceOrOneAlreadyFastIsLeftAsItIs) {
    for (const int error : {ENOTTY, EINVAL, EPERM}) {
        SCOPED_TRACE(error);
        FakeSerialDevice cannotRead = Ftdi();
        cannotRead.readError = error;
        FakeSerialFlags readAccess(cannotRead);
        EXPECT_FALSE(TurnOnLowLatency(readAccess).has_value());
        EXPECT_EQ(cannotRead.writes, 0);

        FakeSerialDevice cannotWrite = Ftdi();
        cannotWrite.writeError = error;
        FakeSerialFlags writeAccess(cannotWrite);
        EXPECT_FALSE(TurnOnLowLatency(writeAccess).has_value());
    }
    FakeSerialDevice fast = Ftdi();
    fast.info.flags |= ASYNC_LOW_LATENCY;
    FakeSerialFlags access(fast);
    EXPECT_FALSE(TurnOnLowLatency(access).has_value());
    EXPECT_EQ(fast.writes, 0);
}

TEST(LowLatency, TheOpenPortHoldsItAndClosingPutsTheFlagsBack) {
    PtyPair pty;
    ASSERT_TRUE(pty.ready());
    FakeSerialDevice device = Ftdi();
    const int flagsFound = device.info.flags;
    PortSystem system;
    system.lockDir.clear();
    system.serialFlags = [&](int) { return std::make_unique<FakeSerialFlags>(device); };
    TermiosPort port([&](int) { return pty.slave(); }, system);

    ASSERT_FALSE(port.open().has_value());
    EXPECT_EQ(device.info.flags, flagsFound | ASYNC_LOW_LATENCY);
    port.close();
    EXPECT_EQ(device.info.flags, flagsFound);

    // A device that refuses is opened all the same.
    device.readError = EPERM;
    ASSERT_FALSE(port.open().has_value());
    EXPECT_TRUE(port.portOpen());
    port.close();
}

} // namespace
} // namespace veloris
