// The benchmark's own parts: the statistics, the command line, the report's verdicts and
// the environment handed to the program under test.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "bench/bench_options.h"
#include "bench/bench_report.h"
#include "bench/child_process.h"
#include "bench/summary.h"

using namespace veloris::bench;
using namespace std::chrono_literals;

namespace {

PacedCase ReadCase(double medianMs, ByteCount measured) {
    PacedCase read;
    read.key = "read";
    read.title = "read, four slots";
    read.runs = 3;
    read.expectedBytes = kReadBytes;
    read.measuredBytes = measured;
    read.lineLimit = 54'166'684ns;
    read.wallMs = {medianMs - 1, medianMs, medianMs + 1};
    read.ratio = Scaled(read.wallMs, 1 / 54.166684);
    return read;
}

BenchOptions Parsed(const std::vector<std::string>& arguments) {
    auto parsed = ParseOptions(arguments, "/opt/veloris");
    EXPECT_TRUE(std::holds_alternative<BenchOptions>(parsed)) << std::get<std::string>(parsed);
    return std::get<BenchOptions>(parsed);
}

} // namespace

TEST(Summary, TakesTheMiddleOfAnOddCountAndTheMeanOfTheTwoMiddlesOfAnEvenOne) {
    const Summary odd = Summarize({5, 1, 9, 3, 7});
    EXPECT_EQ(odd.min, 1);
    EXPECT_EQ(odd.median, 5);
    EXPECT_EQ(odd.max, 9);
    EXPECT_EQ(Summarize({4, 1, 3, 2}).median, 2.5);
    EXPECT_EQ(Summarize({}).median, 0);
    const Summary scaled = Scaled({1, 2, 4}, 0.5);
    EXPECT_EQ(scaled.min, 0.5);
    EXPECT_EQ(scaled.max, 2);
}

TEST(BenchOptions, QuickRunsEveryCaseThreeTimesAndCountsCanBeSet) {
    const BenchOptions defaults = Parsed({});
    EXPECT_EQ(defaults.runs, kDefaultRuns);
    EXPECT_EQ(defaults.silentRuns, kDefaultSilentRuns);
    EXPECT_EQ(defaults.program, "/opt/veloris");
    EXPECT_FALSE(defaults.jsonFile);

    const BenchOptions quick = Parsed({"--quick", "--json", "out.json"});
    EXPECT_EQ(quick.runs, 3);
    EXPECT_EQ(quick.silentRuns, 3);
    EXPECT_EQ(quick.jsonFile, "out.json");

    const BenchOptions chosen =
        Parsed({"--runs", "12", "--silent-runs", "2", "--program", "/tmp/v", "--no-startup"});
    EXPECT_EQ(chosen.runs, 12);
    EXPECT_EQ(chosen.silentRuns, 2);
    EXPECT_EQ(chosen.program, "/tmp/v");
    EXPECT_TRUE(chosen.skipStartup);
}

TEST(BenchOptions, RefusesMissingOrMalformedValuesAndUnknownArguments) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"--runs"},
                                                                       {"--runs", "0"},
                                                                       {"--runs", "3x"},
                                                                       {"--silent-runs", "-1"},
                                                                       {"--json"},
                                                                       {"--program", ""},
                                                                       {"--fast"}}) {
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseOptions(arguments, "v")))
            << arguments.front();
    }
}

TEST(BenchReport, JudgesTheMedianAgainstTheTargetAndFlagsWrongByteCounts) {
    BenchResults results;
    results.paced.push_back(ReadCase(70.0, kReadBytes)); // ratio 1.29
    std::string table = FormatTable(results);
    EXPECT_NE(table.find("<= 1.10"), std::string::npos) << table;
    EXPECT_NE(table.find("NO"), std::string::npos) << table;
    EXPECT_TRUE(Problems(results).empty());

    results.paced.front() = ReadCase(55.0, kReadBytes); // ratio 1.015
    table = FormatTable(results);
    EXPECT_EQ(table.find("NO"), std::string::npos) << table;
    EXPECT_NE(table.find("as the protocol needs"), std::string::npos) << table;

    results.paced.front() = ReadCase(55.0, ByteCount{31, 20});
    ASSERT_EQ(Problems(results).size(), 1u);
    EXPECT_NE(Problems(results).front().find("51 bytes on the line instead of 52"),
              std::string::npos);
}

TEST(BenchReport, SilentCpuAboveTwoPercentMissesItsTarget) {
    BenchResults results;
    SilentCase silent;
    silent.runs = 1;
    silent.measuredBytes = kSilentReadBytes;
    silent.processCpuPercent = {2.5, 2.5, 2.5};
    results.silent = silent;
    EXPECT_NE(FormatJson(results).find("\"met\": false"), std::string::npos);
    results.silent->processCpuPercent = {0.1, 0.1, 0.1};
    EXPECT_NE(FormatJson(results).find("\"met\": true"), std::string::npos);
}

TEST(BenchReport, JsonKeepsTextsWholeAndNamesASkippedStartUp) {
    BenchResults results;
    results.machine = "a \"quoted\"\\name\n";
    StartupCase startup;
    startup.skipped = "Xvfb not found";
    results.startup = startup;
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(FormatJson(results))).object();
    EXPECT_EQ(json.value("machine").toString().toStdString(), results.machine);
    const QJsonObject skipped = json.value("cases").toObject().value("startup").toObject();
    EXPECT_EQ(skipped.value("skipped").toString(), "Xvfb not found");
    EXPECT_FALSE(skipped.contains("shown_ms"));
}

TEST(ChildProcess, TheEnvironmentGetsOverridesOnceAndLosesRemovedNames) {
    setenv("VELORIS_BENCH_TEST_KEEP", "1", 1);
    setenv("VELORIS_BENCH_TEST_GONE", "1", 1);
    setenv("VELORIS_BENCH_TEST_SET", "old", 1);
    const auto environment =
        EnvironmentWith({"VELORIS_BENCH_TEST_SET=new"}, {"VELORIS_BENCH_TEST_GONE"});
    auto count = [&](const std::string& prefix) {
        return std::count_if(environment.begin(), environment.end(),
                             [&](const std::string& e) { return e.starts_with(prefix); });
    };
    EXPECT_EQ(count("VELORIS_BENCH_TEST_KEEP=1"), 1);
    EXPECT_EQ(count("VELORIS_BENCH_TEST_GONE="), 0);
    EXPECT_EQ(count("VELORIS_BENCH_TEST_SET="), 1);
    EXPECT_EQ(count("VELORIS_BENCH_TEST_SET=new"), 1);
}

TEST(ChildProcess, SpawnedProgramIsFoundOnThePathAndCollectedWithItsStatus) {
    const auto shell = FindProgram("sh");
    ASSERT_TRUE(shell);
    EXPECT_FALSE(FindProgram("veloris-no-such-program"));
    SpawnRequest request;
    request.program = *shell;
    request.arguments = {"-c", "exit 3"};
    request.environment = EnvironmentWith({}, {});
    const Ended ended = WaitForEnd(Spawn(request), 5s);
    EXPECT_FALSE(ended.killed);
    EXPECT_TRUE(WIFEXITED(ended.status));
    EXPECT_EQ(WEXITSTATUS(ended.status), 3);

    request.arguments = {"-c", "sleep 30"};
    const Ended killed = WaitForEnd(Spawn(request), 50ms);
    EXPECT_TRUE(killed.killed);
}
