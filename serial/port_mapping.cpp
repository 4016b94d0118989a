#include "serial/port_mapping.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <tuple>

namespace veloris {

namespace {

enum class PortGroup { BuiltInUart, UsbAdapter, UsbModem, Other };

// "/dev/ttyUSB10" splits into the stem "ttyUSB" and the number 10; a name without a final
// number has the number -1, so it sorts ahead of its numbered siblings.
struct DeviceName {
    std::string_view stem;
    long number = -1;
};

DeviceName SplitDeviceName(std::string_view device) {
    const std::size_t slash = device.rfind('/');
    const std::string_view base =
        slash == std::string_view::npos ? device : device.substr(slash + 1);
    std::size_t digits = base.size();
    while (digits > 0 && base[digits - 1] >= '0' && base[digits - 1] <= '9') {
        --digits;
    }
    DeviceName name{base.substr(0, digits), -1};
    const std::string_view number = base.substr(digits);
    if (!number.empty()) {
        const auto [stop, error] =
            std::from_chars(number.data(), number.data() + number.size(), name.number);
        if (error != std::errc{}) {
            name.number = -1;
        }
    }
    return name;
}

PortGroup GroupOf(const DeviceName& name) {
    if (name.stem == "ttyS") {
        return PortGroup::BuiltInUart;
    }
    if (name.stem == "ttyUSB") {
        return PortGroup::UsbAdapter;
    }
    if (name.stem == "ttyACM") {
        return PortGroup::UsbModem;
    }
    return PortGroup::Other;
}

auto SortKey(const PresentPort& port) {
    const DeviceName name = SplitDeviceName(port.device);
    return std::make_tuple(GroupOf(name), name.stem, name.number, std::string_view(port.device));
}

} // namespace

std::vector<PresentPort> OrderPorts(std::vector<PresentPort> ports) {
    std::erase_if(ports, [](const PresentPort& port) {
        return port.systemConsole ||
               (!port.realUart && GroupOf(SplitDeviceName(port.device)) == PortGroup::BuiltInUart);
    });
    std::stable_sort(ports.begin(), ports.end(), [](const PresentPort& a, const PresentPort& b) {
        return SortKey(a) < SortKey(b);
    });
    return ports;
}

std::string DeviceForComm(int n, const std::vector<PresentPort>& ordered) {
    if (n < 1) {
        return {};
    }
    if (static_cast<std::size_t>(n) <= ordered.size()) {
        return ordered[static_cast<std::size_t>(n) - 1].device;
    }
    return "/dev/ttyS" + std::to_string(n - 1);
}

} // namespace veloris
