#include "bench/bench_options.h"

#include <charconv>

namespace veloris::bench {

namespace {

std::optional<int> PositiveNumber(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 1) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::variant<BenchOptions, std::string> ParseOptions(const std::vector<std::string>& arguments,
                                                     const std::string& defaultProgram) {
    BenchOptions options;
    options.program = defaultProgram;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--quick") {
            options.runs = kQuickRuns;
            options.silentRuns = kQuickRuns;
        } else if (argument == "--no-startup") {
            options.skipStartup = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--runs" || argument == "--silent-runs") {
            const std::optional<int> count =
                hasValue ? PositiveNumber(arguments[i + 1]) : std::nullopt;
            if (!count) {
                return argument + " needs a whole number of at least 1";
            }
            (argument == "--runs" ? options.runs : options.silentRuns) = *count;
            ++i;
        } else if (argument == "--json" || argument == "--program" || argument == "--cli") {
            if (!hasValue || arguments[i + 1].empty()) {
                return argument + " needs a path";
            }
            if (argument == "--json") {
                options.jsonFile = arguments[i + 1];
            } else if (argument == "--cli") {
                options.cliProgram = arguments[i + 1];
            } else {
                options.program = arguments[i + 1];
            }
            ++i;
        } else {
            return "unknown argument " + argument;
        }
    }
    return options;
}

} // namespace veloris::bench
