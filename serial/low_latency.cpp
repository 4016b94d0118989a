#include "serial/low_latency.h"

#include <cerrno>

#include <linux/tty_flags.h>
#include <sys/ioctl.h>

namespace veloris {

namespace {

class IoctlSerialFlags final : public SerialFlagsAccess {
  public:
    explicit IoctlSerialFlags(int fd) : fd_(fd) {}
    int read(serial_struct& info) override {
        return ::ioctl(fd_, TIOCGSERIAL, &info) == 0 ? 0 : errno;
    }
    int write(const serial_struct& info) override {
        return ::ioctl(fd_, TIOCSSERIAL, &info) == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

} // namespace

std::unique_ptr<SerialFlagsAccess> DeviceSerialFlags(int fd) {
    return std::make_unique<IoctlSerialFlags>(fd);
}

std::optional<int> TurnOnLowLatency(SerialFlagsAccess& device) {
    serial_struct info{};
    if (device.read(info) != 0) {
        return std::nullopt;
    }
    const int found = info.flags;
    if ((found & ASYNC_LOW_LATENCY) != 0) {
        return std::nullopt;
    }
    info.flags = found | ASYNC_LOW_LATENCY;
    if (device.write(info) != 0) {
        return std::nullopt;
    }
    return found;
}

void PutBackSerialFlags(SerialFlagsAccess& device, int flagsFound) {
    serial_struct info{};
    if (device.read(info) != 0) {
        return; // a device that has gone away keeps nothing to put back
    }
    info.flags = flagsFound;
    device.write(info);
}

} // namespace veloris
