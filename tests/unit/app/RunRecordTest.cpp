// The run record's line, its file and the option that asks for it.
#include "app/RunRecord.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ProgramOptions.h"
#include "app/RunRecordFile.h"
#include "support/LockWait.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using test::ReadFileBytes;
using test::ScratchDir;

std::chrono::system_clock::time_point At(std::time_t seconds) {
    return std::chrono::system_clock::from_time_t(seconds);
}

RunRecord VerificationRecord() {
    RunRecord record;
    record.start = At(1715934600);
    record.end = At(1715934642) + 750ms;
    record.host = "station-3";
    record.port = "127.0.0.1:9100";
    record.parameters = {"sa", "port:127.0.0.1:9100", "readfile:line 1.cfg", "verify"};
    record.firmware = "RPD1-1.01";
    record.actions = {{"sa", std::nullopt, true},
                      {"port", "127.0.0.1:9100", true},
                      {"readfile", "line 1.cfg", true},
                      {"verify", std::nullopt, false}};
    record.differences = {{"Print_Speed", "Level 5", "Level 3"}, {"Sleep_Timeout", "300", "600"}};
    record.errors = {"Verification of printer's configuration has failed, see \"Varnel.log\" for log history."};
    record.exitCode = 0;
    return record;
}

TEST(RunRecordLineTest, HoldsEveryFieldOfTheRunOnOneLine) {
    const std::string line = RunRecordLine(VerificationRecord());
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    EXPECT_EQ(json::parse(line), json::parse(R"({
        "start": "2024-05-17T08:30:00Z",
        "end": "2024-05-17T08:30:42Z",
        "host": "station-3",
        "port": "127.0.0.1:9100",
        "parameters": ["sa", "port:127.0.0.1:9100", "readfile:line 1.cfg", "verify"],
        "firmware": "RPD1-1.01",
        "serialNumber": null,
        "actions": [
            {"action": "sa", "outcome": "ok"},
            {"action": "port", "argument": "127.0.0.1:9100", "outcome": "ok"},
            {"action": "readfile", "argument": "line 1.cfg", "outcome": "ok"},
            {"action": "verify", "outcome": "failed"}],
        "differences": [
            {"setting": "Print_Speed", "printer": "Level 5", "configuration": "Level 3"},
            {"setting": "Sleep_Timeout", "printer": "300", "configuration": "600"}],
        "errors": ["Verification of printer's configuration has failed, see \"Varnel.log\" for log history."],
        "exitCode": 0})"));
}

TEST(RunRecordLineTest, TextsThatAreNotUtf8AreReadAsWindows1252) {
    RunRecord record;
    record.serialNumber = "SN\xE9";
    record.errors = {"Caf\xC3\xA9", "Caf\xE9 \x80 \x81", "two\nlines"};
    record.differences = {{"Header_Text", "\x93quoted\x94", "plain"}};
    record.exitCode = 1;
    const std::string line = RunRecordLine(record);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    const json parsed = json::parse(line);
    EXPECT_EQ(parsed["serialNumber"], "SN\u00E9");
    EXPECT_EQ(parsed["errors"], json({"Caf\u00E9", "Caf\u00E9 \u20AC \u0081", "two\nlines"}));
    EXPECT_EQ(parsed["differences"][0]["printer"], "\u201Cquoted\u201D");
    EXPECT_EQ(parsed["firmware"], nullptr);
    EXPECT_EQ(parsed["actions"], json::array());
    EXPECT_EQ(parsed["exitCode"], 1);
}

TEST(RunRecordLineTest, TimesAreUtcToTheSecond) {
    const struct {
        std::chrono::system_clock::time_point moment;
        const char* text;
    } cases[] = {
        {At(0), "1970-01-01T00:00:00Z"},
        {At(951782400), "2000-02-29T00:00:00Z"},
        {At(1715934600) + 999ms, "2024-05-17T08:30:00Z"},
        {At(4102444799), "2099-12-31T23:59:59Z"},
    };
    for (const auto& c : cases) EXPECT_EQ(IsoUtcTime(c.moment), c.text);
}

TEST(RunRecordFileTest, LinesAreAppendedToAFileCreatedWhenMissing) {
    ScratchDir dir;
    const std::string path = dir.File("runs.jsonl");
    std::string problem;
    ASSERT_TRUE(AppendRunRecordLine(path, "{\"a\":1}\n", problem)) << problem;
    ASSERT_TRUE(AppendRunRecordLine(path, "{\"b\":2}\n", problem)) << problem;
    EXPECT_EQ(ReadFileBytes(path), "{\"a\":1}\n{\"b\":2}\n");
}

// Appends `line` in a child process whose files may grow to `sizeLimit` bytes at most (a full
// disk or `ulimit -f`); whether the append said it succeeded.
bool AppendUnderSizeLimit(const std::string& path, const std::string& line, rlim_t sizeLimit) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // the write then comes back short instead of ending the process
        const rlimit limit{sizeLimit, sizeLimit};
        std::string problem;
        ::_exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 && AppendRunRecordLine(path, line, problem) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A record file that already holds one run's line.
class RecordFileLinesTest : public testing::Test {
protected:
    RecordFileLinesTest() { test::WriteFileBytes(path, kFirst); }
    bool Append(const std::string& line) {
        std::string problem;
        return AppendRunRecordLine(path, line, problem);
    }

    const std::string kFirst = "{\"a\":1}\n";
    const std::string kNext = "{\"c\":3}\n";
    ScratchDir dir;
    const std::string path = dir.File("runs.jsonl");
};

TEST_F(RecordFileLinesTest, AShortWriteLeavesNoPartOfItsLine) {
    EXPECT_FALSE(AppendUnderSizeLimit(path, "{\"b\":\"" + std::string(100, 'b') + "\"}\n", 20));
    EXPECT_EQ(ReadFileBytes(path), kFirst);
    ASSERT_TRUE(Append(kNext));
    EXPECT_EQ(ReadFileBytes(path), kFirst + kNext);
}

TEST_F(RecordFileLinesTest, ALineLeftUnfinishedIsNotGluedToTheNext) {
    test::WriteFileBytes(path, kFirst + "{\"broken");  // a run that was cut off mid-line
    ASSERT_TRUE(Append(kNext));
    EXPECT_EQ(ReadFileBytes(path), kFirst + "{\"broken\n" + kNext);
}

TEST_F(RecordFileLinesTest, ALineWaitsWhileAnotherRunHoldsTheFile) {
    EXPECT_TRUE(test::WaitsForLock(
        path, [&] { Append(kNext); },
        [&] { EXPECT_EQ(ReadFileBytes(path), kFirst) << "written under the other run's lock"; }));
    EXPECT_EQ(ReadFileBytes(path), kFirst + kNext);
}

TEST(RunRecordFileTest, AFileThatCannotBeOpenedSaysWhy) {
    ScratchDir dir;
    std::string problem;
    EXPECT_FALSE(AppendRunRecordLine(dir.File("missing/runs.jsonl"), "{}\n", problem));
    EXPECT_EQ(problem, "No such file or directory");
    EXPECT_FALSE(AppendRunRecordLine(dir.path(), "{}\n", problem));
    EXPECT_EQ(problem, "Is a directory");
    // The check made before a run answers the same, and creates nothing where it cannot.
    problem.clear();
    EXPECT_FALSE(CanAppendRunRecord(dir.File("missing/runs.jsonl"), problem));
    EXPECT_EQ(problem, "No such file or directory");
    EXPECT_FALSE(CanAppendRunRecord(dir.path(), problem));
    EXPECT_EQ(problem, "Is a directory");
}

TEST(RunRecordFileTest, TheCheckBeforeARunCreatesTheFileAndKeepsWhatItHolds) {
    ScratchDir dir;
    const std::string path = dir.File("runs.jsonl");
    std::string problem;
    ASSERT_TRUE(CanAppendRunRecord(path, problem)) << problem;
    EXPECT_EQ(ReadFileBytes(path), "");
    ASSERT_TRUE(AppendRunRecordLine(path, "{\"a\":1}\n", problem)) << problem;
    ASSERT_TRUE(CanAppendRunRecord(path, problem)) << problem;
    EXPECT_EQ(ReadFileBytes(path), "{\"a\":1}\n");
}

struct OptionCase {
    const char* name;
    std::vector<std::string> parameters;
    const char* environment;
    std::string path;  // relative to the working folder; empty for none
    bool problem;
    std::vector<std::string> left;
};

class RecordOptionTest : public testing::TestWithParam<OptionCase> {};

TEST_P(RecordOptionTest, IsTakenOutBeforeTheKeywords) {
    const OptionCase& c = GetParam();
    const ProgramOptions options = ParseProgramOptions(c.parameters, {c.environment, nullptr});
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(options.recordPath, c.path.empty() || c.path[0] == '/' ? c.path : cwd + "/" + c.path);
    EXPECT_EQ(!options.problem.empty(), c.problem) << options.problem;
    EXPECT_EQ(options.parameters, c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordOptionTest,
    testing::Values(
        OptionCase{"None", {"sa", "verify"}, nullptr, "", false, {"sa", "verify"}},
        OptionCase{"Separate", {"--record", "run.jsonl", "sa", "verify"}, nullptr, "run.jsonl", false,
                   {"sa", "verify"}},
        OptionCase{"Joined", {"sa", "--record=/tmp/r.jsonl", "exit"}, nullptr, "/tmp/r.jsonl", false, {"sa", "exit"}},
        OptionCase{"AfterKeywords", {"port:COM1", "verify", "--record", "a"}, nullptr, "a", false,
                   {"port:COM1", "verify"}},
        OptionCase{"LastWins", {"--record", "a", "--record=b", "exit"}, nullptr, "b", false, {"exit"}},
        OptionCase{"FromEnvironment", {"exit"}, "/var/log/line.jsonl", "/var/log/line.jsonl", false, {"exit"}},
        OptionCase{"OptionBeatsEnvironment", {"--record", "mine", "exit"}, "/other", "mine", false, {"exit"}},
        OptionCase{"EmptyEnvironment", {"exit"}, "", "", false, {"exit"}},
        OptionCase{"MissingFile", {"exit", "--record"}, nullptr, "", true, {"exit"}},
        OptionCase{"EmptyJoined", {"--record=", "exit"}, nullptr, "", true, {"exit"}},
        OptionCase{"KeywordsKeepTheirMeaning", {"-record", "/record", "recordfile.cfg"}, nullptr, "", false,
                   {"-record", "/record", "recordfile.cfg"}},
        OptionCase{"AfterTheEndOfOptions", {"exit", "--", "--record", "a"}, nullptr, "", false,
                   {"exit", "--record", "a"}}),
    [](const testing::TestParamInfo<OptionCase>& info) { return info.param.name; });

TEST(RecordOptionUsage, HelpNamesTheOptionTheVariableAndTheExitCode) {
    const std::string usage = UsageText();
    EXPECT_NE(usage.find("Usage: varnel [--strict] [--record FILE] [--] [parameter ...]\n"), std::string::npos) << usage;
    EXPECT_NE(usage.find("VARNEL_RECORD=FILE"), std::string::npos);
    EXPECT_NE(usage.find("2 for an unknown option or a --record file that cannot be opened"), std::string::npos);
}

}  // namespace
}  // namespace varnel
