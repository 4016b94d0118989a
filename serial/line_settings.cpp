#include "serial/line_settings.h"

#include <array>
#include <charconv>
#include <utility>
#include <vector>

namespace veloris {

namespace {

constexpr std::array<std::pair<int, speed_t>, 18> kSpeeds{{
    {50, B50},
    {75, B75},
    {110, B110},
    {134, B134},
    {150, B150},
    {200, B200},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {1800, B1800},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
}};

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

// The whole field must be the number: from_chars stops quietly at the first other character.
std::optional<int> ParseCount(std::string_view field) {
    int value = 0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (field.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<Parity> ParseParity(std::string_view field) {
    if (field.size() != 1) {
        return std::nullopt;
    }
    switch (field.front()) {
    case 'N':
    case 'n':
        return Parity::None;
    case 'E':
    case 'e':
        return Parity::Even;
    case 'O':
    case 'o':
        return Parity::Odd;
    case 'M':
    case 'm':
        return Parity::Mark;
    case 'S':
    case 's':
        return Parity::Space;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<speed_t> TermiosSpeed(int baud) {
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud) {
            return speed;
        }
    }
    return std::nullopt;
}

std::optional<LineSettings> ParseLineSettings(std::string_view text) {
    const std::vector<std::string_view> fields = SplitFields(text);
    if (fields.size() != 4) {
        return std::nullopt;
    }
    const std::optional<int> baud = ParseCount(fields[0]);
    const std::optional<Parity> parity = ParseParity(fields[1]);
    const std::optional<int> dataBits = ParseCount(fields[2]);
    const std::optional<int> stopBits = ParseCount(fields[3]);
    if (!baud || !TermiosSpeed(*baud) || !parity || !dataBits || *dataBits < 5 || *dataBits > 8 ||
        !stopBits || (*stopBits != 1 && *stopBits != 2)) {
        return std::nullopt;
    }
    return LineSettings{*baud, *parity, *dataBits, *stopBits};
}

} // namespace veloris
