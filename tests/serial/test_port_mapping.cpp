#include "serial/port_mapping.h"

#include <gtest/gtest.h>

namespace veloris {
namespace {

std::vector<std::string> Devices(const std::vector<PresentPort>& ports) {
    std::vector<std::string> devices;
    for (const PresentPort& port : ports) {
        devices.push_back(port.device);
    }
    return devices;
}

TEST(OrderPorts, PutsUartsThenUsbThenModemsThenTheRestEachByNumber) {
    const std::vector<PresentPort> found{
        {"/dev/ttyUSB10", "", true}, {"/dev/rfcomm0", "", true}, {"/dev/ttyACM0", "", true},
        {"/dev/ttyS3", "", false},   {"/dev/ttyUSB2", "", true}, {"/dev/ttyS1", "", true},
        {"/dev/ttySAC0", "", true},  {"/dev/ttyS0", "", true},   {"/dev/ttyAMA0", "", true},
    };
    EXPECT_EQ(
        Devices(OrderPorts(found)),
        (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                  "/dev/ttyACM0", "/dev/rfcomm0", "/dev/ttyAMA0", "/dev/ttySAC0"}));
}

TEST(DeviceForComm, TakesTheNthPortThenFallsBackToTtyS) {
    const std::vector<PresentPort> ordered{{"/dev/ttyUSB0", "FT232R USB UART", true},
                                           {"/dev/ttyACM1", "", true}};
    EXPECT_EQ(DeviceForComm(1, ordered), "/dev/ttyUSB0");
    EXPECT_EQ(DeviceForComm(2, ordered), "/dev/ttyACM1");
    EXPECT_EQ(DeviceForComm(3, ordered), "/dev/ttyS2");
    EXPECT_EQ(DeviceForComm(4, ordered), "/dev/ttyS3");
    EXPECT_EQ(DeviceForComm(1, {}), "/dev/ttyS0");
    EXPECT_EQ(DeviceForComm(0, ordered), "");
}

} // namespace
} // namespace veloris
