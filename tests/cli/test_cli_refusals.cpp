// What veloris-cli refuses before it opens anything: the command line, the values and the
// backup files. The port named is one that cannot exist, so any attempt to open it would end
// in exit 3 instead of 2. And the port listing, which opens nothing either.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli_process.h"

using veloris::testing::RunCli;

namespace {

const std::string kNoPort = "/nonexistent/veloris-test-port";

std::string ValidBackup() {
    return R"({"format": "veloris-parameters", "version": 1, "saved_utc": "2026-12-09T21:00:00Z",
  "device": "/dev/ttyUSB0", "slots": [
  {"key": "sidereal", "address": "F894", "record": "CC 8C A0 DD", "value": 36000},
  {"key": "guiding", "address": "F899", "record": "CC 03 E8 DD", "value": 1000},
  {"key": "centring", "address": "F89E", "record": "CC 07 D0 DD", "value": 2000},
  {"key": "tempo", "address": "F8A9", "record": "CC 0B B8 DD", "value": 3000}]})";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

struct TempFile {
    explicit TempFile(const std::string& content) {
        path = std::filesystem::temp_directory_path() /
               ("veloris-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
        std::ofstream(path, std::ios::binary) << content;
    }
    ~TempFile() { std::filesystem::remove(path); }
    std::filesystem::path path;
    static inline int count = 0;
};

} // namespace

TEST(CliRefusals, ValuesTheBoardCannotHoldAreRefusedBeforeOpening) {
    for (const std::string value : {"70000", "-1", "abc", "1e3", "", "12.5"}) {
        const auto run = RunCli({"write", "-p", kNoPort, "--guiding", value});
        EXPECT_EQ(run.status, 2) << value << ": " << run.err;
        EXPECT_NE(run.err.find("refused"), std::string::npos) << run.err;
    }
    // One bad value among good ones stops the whole write; --json says which.
    const auto run = RunCli({"write", "-p", kNoPort, "--json", "--sidereal", "100", "--tempo=-1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("\"values-refused\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"tempo\""), std::string::npos) << run.out;
}

TEST(CliRefusals, CommandLinesThatDoNotSayWhatToDoAreRefused) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {},
             {"erase"},
             {"write", "-p", kNoPort},
             {"read", "-p", kNoPort, "--sidereal", "5"},
             {"backup", "-p", kNoPort},
             {"read", "extra", "-p", kNoPort},
             {"read", "-p", kNoPort, "--force"},
             {"write", "-p", kNoPort, "--tempo", "1", "--tempo", "2"},
             {"read", "-p", kNoPort, "--no-such-option"},
         }) {
        const auto run = RunCli(arguments);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    const auto json = RunCli({"frobnicate", "--json"});
    EXPECT_EQ(json.status, 2);
    EXPECT_NE(json.out.find("\"kind\": \"usage\""), std::string::npos) << json.out;
}

TEST(CliRefusals, BackupFilesThatAreNotWholeAndTrueAreRefusedBeforeOpening) {
    const std::string valid = ValidBackup();
    const std::vector<std::pair<std::string, std::string>> files{
        {"not JSON", "sidereal=36000\n"},
        {"truncated", valid.substr(0, valid.size() / 2)},
        {"other version", Replaced(valid, "\"version\": 1", "\"version\": 2")},
        {"other format", Replaced(valid, "veloris-parameters", "something-else")},
        {"wrong address", Replaced(valid, "\"F899\"", "\"F900\"")},
        {"value disagrees with record", Replaced(valid, "\"value\": 1000", "\"value\": 1001")},
        {"record not framed", Replaced(valid, "CC 07 D0 DD", "CE 07 D0 DD")},
        {"key twice", Replaced(valid, "\"centring\"", "\"guiding\"")},
        {"unknown key", Replaced(valid, "\"tempo\"", "\"speed\"")},
        {"value not whole", Replaced(valid, "\"value\": 3000", "\"value\": 3000.5")},
        {"10 MB", valid + std::string(10 * 1024 * 1024, ' ')},
    };
    for (const auto& [what, content] : files) {
        const TempFile file(content);
        for (const char* command : {"restore", "verify"}) {
            const auto run = RunCli({command, "-p", kNoPort, file.path.string()});
            EXPECT_EQ(run.status, 2) << what << ", " << command << ": " << run.err;
            EXPECT_NE(run.err.find("refused"), std::string::npos) << what << ": " << run.err;
        }
    }
    // The same file, whole, gets as far as the port, which does not exist.
    const TempFile file(valid);
    const auto run = RunCli({"verify", "-p", kNoPort, file.path.string()});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("no such device"), std::string::npos) << run.err;
}

TEST(CliRefusals, AFrenchLocaleGetsFrenchTexts) {
    const auto run = RunCli({"write", "-p", kNoPort, "--sidereal", "abc"}, "fr_FR.UTF-8");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("refusé"), std::string::npos) << run.err;
    const auto absent = RunCli({"read", "-p", kNoPort}, "fr_FR.UTF-8");
    EXPECT_EQ(absent.status, 3);
    EXPECT_NE(absent.err.find("Impossible d'ouvrir le port"), std::string::npos) << absent.err;
}

TEST(CliPorts, ListsComOneToFourAndEveryDeviceWithoutOpeningAny) {
    const auto run = RunCli({"ports", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    const QJsonArray mapping = report.value("mapping").toArray();
    ASSERT_EQ(mapping.size(), 4);
    for (int n = 1; n <= 4; ++n) {
        const QJsonObject com = mapping[n - 1].toObject();
        EXPECT_EQ(com.value("name").toString(), QString("COM%1").arg(n));
        EXPECT_TRUE(com.value("device").toString().startsWith("/dev/"));
    }
    EXPECT_TRUE(report.value("devices").isArray());
}
