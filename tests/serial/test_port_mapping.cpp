#include "serial/port_mapping.h"

#include <gtest/gtest.h>

namespace veloris {
namespace {

PresentPort Port(std::string device, std::string description = "", bool realUart = true) {
    PresentPort port;
    port.device = std::move(device);
    port.description = std::move(description);
    port.realUart = realUart;
    return port;
}

std::vector<std::string> Devices(const std::vector<PresentPort>& ports) {
    std::vector<std::string> devices;
    for (const PresentPort& port : ports) {
        devices.push_back(port.device);
    }
    return devices;
}

TEST(OrderPorts, PutsUartsThenUsbThenModemsThenTheRestEachByNumber) {
    const std::vector<PresentPort> found{
        Port("/dev/ttyUSB10"),         Port("/dev/rfcomm0"), Port("/dev/ttyACM0"),
        Port("/dev/ttyS3", "", false), Port("/dev/ttyUSB2"), Port("/dev/ttyS1"),
        Port("/dev/ttySAC0"),          Port("/dev/ttyS0"),   Port("/dev/ttyAMA0"),
    };
    EXPECT_EQ(
        Devices(OrderPorts(found)),
        (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                  "/dev/ttyACM0", "/dev/rfcomm0", "/dev/ttyAMA0", "/dev/ttySAC0"}));
}

TEST(OrderPorts, LeavesOutTheSystemConsole) {
    PresentPort console = Port("/dev/ttyS0");
    console.systemConsole = true;
    PresentPort usbConsole = Port("/dev/ttyUSB0");
    usbConsole.systemConsole = true;
    const std::vector<PresentPort> found{console, Port("/dev/ttyS1"), usbConsole,
                                         Port("/dev/ttyUSB1")};
    const std::vector<PresentPort> ordered = OrderPorts(found);
    EXPECT_EQ(Devices(ordered), (std::vector<std::string>{"/dev/ttyS1", "/dev/ttyUSB1"}));
    // COM3 falls back to a ttyS name; whether that is the console is found at opening.
    EXPECT_EQ(DeviceForComm(3, ordered), "/dev/ttyS2");
}

TEST(DeviceForComm, TakesTheNthPortThenFallsBackToTtyS) {
    const std::vector<PresentPort> ordered{Port("/dev/ttyUSB0", "FT232R USB UART", true),
                                           Port("/dev/ttyACM1")};
    EXPECT_EQ(DeviceForComm(1, ordered), "/dev/ttyUSB0");
    EXPECT_EQ(DeviceForComm(2, ordered), "/dev/ttyACM1");
    EXPECT_EQ(DeviceForComm(3, ordered), "/dev/ttyS2");
    EXPECT_EQ(DeviceForComm(4, ordered), "/dev/ttyS3");
    EXPECT_EQ(DeviceForComm(1, {}), "/dev/ttyS0");
    EXPECT_EQ(DeviceForComm(0, ordered), "");
}

} // namespace
} // namespace veloris
