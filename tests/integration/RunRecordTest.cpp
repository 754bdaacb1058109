// What a production script relies on: the run record (one line of JSON per run, however the run
// ends), the options, --strict's exit code, saved files that a failed read leaves alone, and runs
// that need no window working whatever DISPLAY holds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/DemoModel.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/SplitText.h"
#include "support/TestPaths.h"

namespace varnel::test {
namespace {

using nlohmann::json;

constexpr auto kHangGuard = std::chrono::seconds(120);

// The demo configuration with three settings changed: two with options, one 16-bit number.
const std::vector<std::pair<std::string, std::string>> kChanges{
    {"Buzzer                1", "Buzzer                0"},
    {"Sleep_Timeout         300", "Sleep_Timeout         600"},
    {"Auto_Cut              2", "Auto_Cut              1"},
};

std::string ThisHost() {
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? name : "";
}

// A working folder with the demo model, where varnel runs headless; standard error of the last
// run is kept.
class RecordFolder {
public:
    RecordFolder() { CopyDemoModel(dir_.path()); }
    std::string File(const std::string& name) const { return dir_.File(name); }
    const std::string& Path() const { return dir_.path(); }

    ExitStatus Run(const std::vector<std::string>& parameters, const std::vector<std::string>& extraEnvironment = {}) {
        std::vector<std::string> env = HeadlessEnvironment(File("registry.reg"));
        env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
        const int err = open(File("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ChildProcess varnel(VarnelExe(), parameters, env, dir_.path(), -1, err);
        ExitStatus status = varnel.Wait(kHangGuard);
        if (err >= 0) close(err);
        return status;
    }
    std::string Errors() const { return ReadFileBytes(File("stderr.txt")); }

private:
    ScratchDir dir_;
};

TEST(RunRecordTest, VerificationWithThreeChangedSettingsLeavesOneLineListingThem) {
    ScratchDir printerFolder;
    SimulatorProcess printer(SimulatorLine::Tcp, DemoPrinterSwitches(), printerFolder.path());
    ASSERT_FALSE(printer.Port().empty());
    RecordFolder folder;
    std::string changed = ReadFileBytes(folder.File("rpdemo.cfg"));
    for (const auto& [from, to] : kChanges) {
        const size_t at = changed.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        changed.replace(at, from.size(), to);
    }
    WriteFileBytes(folder.File("changed.cfg"), changed);

    const std::vector<std::string> script{"sa", "port:" + printer.Port(), "readfile:changed.cfg", "verify", "exit"};
    std::vector<std::string> parameters{"--record", "run.jsonl"};
    parameters.insert(parameters.end(), script.begin(), script.end());
    const ExitStatus status = folder.Run(parameters);
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 0) << "a verification that finds differences fails";

    const std::vector<std::string> lines = SplitAt(ReadFileBytes(folder.File("run.jsonl")), "\n");
    ASSERT_EQ(lines.size(), 1u);
    const json record = json::parse(lines[0]);
    EXPECT_EQ(record["differences"], json::parse(R"([
        {"setting": "Buzzer", "printer": "Enabled", "configuration": "Disabled"},
        {"setting": "Sleep_Timeout", "printer": "300", "configuration": "600"},
        {"setting": "Auto_Cut", "printer": "Partial Cut", "configuration": "Full Cut"}])"));
    EXPECT_EQ(record["exitCode"], 0);
    EXPECT_EQ(record["parameters"], json(script)) << "the record option is not a parameter";
    EXPECT_EQ(record["actions"], json::parse(R"([{"action": "sa", "outcome": "ok"},
        {"action": "port", "argument": ")" + printer.Port() + R"(", "outcome": "ok"},
        {"action": "readfile", "argument": "changed.cfg", "outcome": "ok"},
        {"action": "verify", "outcome": "failed"}])"));
    EXPECT_EQ(record["errors"], json({"Verification of printer's configuration has failed, see \"Varnel.log\" for log "
                                      "history."}));
    EXPECT_EQ(record["firmware"], "RPD1-1.01");
    EXPECT_EQ(record["serialNumber"], nullptr);
    EXPECT_EQ(record["port"], printer.Port());
    EXPECT_EQ(record["host"], ThisHost());
    const std::regex utc("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
    EXPECT_TRUE(std::regex_match(record["start"].get<std::string>(), utc)) << record["start"];
    EXPECT_TRUE(std::regex_match(record["end"].get<std::string>(), utc)) << record["end"];
    EXPECT_LE(record["start"].get<std::string>(), record["end"].get<std::string>());
    EXPECT_EQ(folder.Errors(), "");
}

TEST(RunRecordTest, EveryWayARunEndsAppendsItsLineToTheFileTheEnvironmentNames) {
    ScratchDir printerFolder;
    SimulatorProcess printer(SimulatorLine::Tcp, DemoPrinterSwitches(), printerFolder.path());
    ASSERT_FALSE(printer.Port().empty());
    RecordFolder folder;
    const std::vector<std::string> env{"VARNEL_RECORD=" + folder.File("line.jsonl")};
    const std::string port = "port:" + printer.Port();
    const struct {
        std::vector<std::string> parameters;
        int exitCode;
    } runs[] = {
        {{"sa", port, "isfwr:RPD1-1.01", "exit"}, 1},   // a firmware check ends the process
        {{"sa", port, "isfw:XYZ"}, 0},
        {{"sa", "exit"}, 0},                            // ends without the main window
        {{"sa"}, 3},                                    // the main window cannot open
    };
    for (const auto& run : runs) {
        const ExitStatus status = folder.Run(run.parameters, env);
        ASSERT_TRUE(status.exited);
        EXPECT_EQ(status.code, run.exitCode);
    }
    const std::vector<std::string> lines = SplitAt(ReadFileBytes(folder.File("line.jsonl")), "\n");
    ASSERT_EQ(lines.size(), std::size(runs));
    for (size_t i = 0; i < lines.size(); ++i) {
        const json record = json::parse(lines[i]);
        EXPECT_EQ(record["parameters"], json(runs[i].parameters)) << i;
        EXPECT_EQ(record["exitCode"], runs[i].exitCode) << i;
    }
    EXPECT_EQ(json::parse(lines[0])["firmware"], "RPD1-1.01");
    EXPECT_EQ(json::parse(lines[1])["firmware"], "RPD1-1.01") << "read by the prefix check";
    EXPECT_EQ(json::parse(lines[1])["actions"].back(), json::parse(R"({"action": "isfw", "argument": "XYZ",
                                                                         "outcome": "failed"})"));
    EXPECT_EQ(json::parse(lines[2])["firmware"], nullptr);
}

TEST(RunRecordTest, ARecordFileThatCannotBeOpenedStopsTheRunBeforeItStarts) {
    RecordFolder folder;
    ExitStatus status = folder.Run({"--record", folder.File("missing/run.jsonl"), "sa", "exit"});
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 2);
    EXPECT_EQ(folder.Errors(), "varnel: the run record file " + folder.File("missing/run.jsonl") +
                                   " cannot be opened: No such file or directory\n");

    status = folder.Run({"sa", "exit", "--record"});
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 2);
    EXPECT_EQ(folder.Errors(), "varnel: --record needs a file name (--record FILE)\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("Varnel.log"))) << "neither run started";

    // A file that can be opened is created before the run and holds its line after it.
    status = folder.Run({"--record", folder.File("run.jsonl"), "sa", "exit"});
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(SplitAt(ReadFileBytes(folder.File("run.jsonl")), "\n").size(), 1u);
}

TEST(RunRecordTest, AnUnknownOptionIsNamedAndNothingRunsWhileTwoDashesEndTheOptions) {
    RecordFolder folder;
    ExitStatus status = folder.Run({"sa", "--bogus-option", "exit"});
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 2);
    EXPECT_EQ(folder.Errors(), "varnel: unknown option \"--bogus-option\" (varnel --help lists the options)\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("Varnel.log")));

    // After "--" the same argument is a parameter: one "-" goes, and "-bogus-option" is read as a
    // configuration file, which is missing.
    status = folder.Run({"--record", "run.jsonl", "sa", "--", "--bogus-option", "exit"});
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 0);
    const json record = json::parse(ReadFileBytes(folder.File("run.jsonl")));
    EXPECT_EQ(record["parameters"], json({"sa", "--bogus-option", "exit"}));
    EXPECT_EQ(record["actions"][1]["action"], "file");
    EXPECT_EQ(record["actions"][1]["argument"], "-bogus-option");
}

TEST(RunRecordTest, StrictEndsAFailedRunWithFourAndLeavesEveryOtherExitCode) {
    ScratchDir printerFolder;
    SimulatorProcess printer(SimulatorLine::Tcp, DemoPrinterSwitches(), printerFolder.path());
    ASSERT_FALSE(printer.Port().empty());
    RecordFolder folder;
    const std::string port = "port:" + printer.Port();
    const std::string noPrinter = "port:" + folder.File("no-printer");
    const struct {
        const char* name;
        std::vector<std::string> parameters;
        const char* strictEnvironment;  // VARNEL_STRICT's value, null for unset
        int exitCode;
    } runs[] = {
        {"nothing failed", {"--strict", "sa", port, "readcfg", "exit"}, nullptr, 0},
        {"a failed read", {"--strict", "sa", noPrinter, "readcfg", "exit"}, nullptr, 4},
        {"a failed read, not strict", {"sa", noPrinter, "readcfg", "exit"}, nullptr, 0},
        {"a missing file, strict from the environment", {"sa", "readfile:missing.cfg", "exit"}, "1", 4},
        {"strict switched off", {"sa", "readfile:missing.cfg", "exit"}, "0", 0},
        {"a passed check", {"--strict", "sa", port, "isfwr:RPD1-1.01"}, nullptr, 1},
        {"a failed check", {"--strict", "sa", port, "isfwr:XYZ"}, nullptr, 4},
        {"no window", {"--strict", "sa", "readfile:missing.cfg"}, nullptr, 3},
    };
    for (const auto& run : runs) {
        std::vector<std::string> env;
        if (run.strictEnvironment) env.push_back(std::string("VARNEL_STRICT=") + run.strictEnvironment);
        const ExitStatus status = folder.Run(run.parameters, env);
        ASSERT_TRUE(status.exited) << run.name;
        EXPECT_EQ(status.code, run.exitCode) << run.name;
    }
}

TEST(RunRecordTest, AWriteDuringWhichThePrinterDroppedOffIsRecordedAsFailed) {
    ScratchDir printerFolder;
    std::vector<std::string> switches = DemoPrinterSwitches();
    // Past the identification, in the middle of the settings.
    switches.insert(switches.end(), {"--fault-drop-after", "200"});
    SimulatorProcess printer(SimulatorLine::Tcp, switches, printerFolder.path());
    ASSERT_FALSE(printer.Port().empty());
    RecordFolder folder;
    const ExitStatus status = folder.Run(
        {"--strict", "--record", "run.jsonl", "sa", "port:" + printer.Port(), "readfile:rpdemo.cfg", "writecfg", "exit"});
    ASSERT_TRUE(status.exited);
    const json record = json::parse(ReadFileBytes(folder.File("run.jsonl")));
    // The simulator takes the reconnect after its drop, so depending on where the drop meets the
    // exchange the write may go on without a reported error; only a reported one is checked here.
    if (record["errors"].empty()) GTEST_SKIP() << "the drop was survived without an error: " << record.dump();
    EXPECT_EQ(status.code, 4);
    EXPECT_EQ(record["actions"][3], json::parse(R"({"action": "writecfg", "outcome": "failed"})")) << record.dump();
    EXPECT_EQ(record["exitCode"], 4);
}

TEST(RunRecordTest, AReadThatFoundNoPrinterKeepsTheSavedConfiguration) {
    RecordFolder folder;
    const std::string saved = ReadFileBytes(folder.File("rpdemo.cfg"));
    WriteFileBytes(folder.File("store12.cfg"), saved);
    const std::string noPrinter = "port:" + folder.File("no-printer");
    ExitStatus status = folder.Run(
        {"--record", "run.jsonl", "sa", noPrinter, "readcfg", "writefile:store12.cfg", "writefile:new.cfg", "exit"});
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(ReadFileBytes(folder.File("store12.cfg")), saved);
    EXPECT_NE(ReadFileBytes(folder.File("Varnel.log"))
                  .find("The configuration in memory holds no settings; the existing file was kept unchanged: "
                        "store12.cfg"),
              std::string::npos);
    // A new name gets the empty configuration, as ever.
    EXPECT_NE(ReadFileBytes(folder.File("new.cfg")).find("File_Comment"), std::string::npos);
    const json actions = json::parse(ReadFileBytes(folder.File("run.jsonl")))["actions"];
    EXPECT_EQ(actions[3], json::parse(R"({"action": "writefile", "argument": "store12.cfg", "outcome": "failed"})"));
    EXPECT_EQ(actions[4], json::parse(R"({"action": "writefile", "argument": "new.cfg", "outcome": "ok"})"));
}

TEST(RunRecordTest, ADisplayThatDoesNotAnswerStopsOnlyRunsThatNeedAWindow) {
    RecordFolder folder;
    const std::vector<std::string> deadDisplay{"DISPLAY=:369"};
    ExitStatus status = folder.Run({"sa", "readfile:rpdemo.cfg", "writefile:b.cfg", "exit"}, deadDisplay);
    ASSERT_TRUE(status.exited) << "no abort";
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(ReadFileBytes(folder.File("b.cfg")).empty(), false);
    EXPECT_EQ(folder.Errors(), "");

    status = folder.Run({"sa", "readfile:rpdemo.cfg"}, deadDisplay);
    ASSERT_TRUE(status.exited) << "no abort";
    EXPECT_EQ(status.code, 3);
    EXPECT_EQ(folder.Errors(), "varnel: the display \":369\" does not answer; the main window cannot open (use "
                               "\"exit\" as the last parameter to run without it)\n");

    status = folder.Run({"sa", "files"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=:369"});
    ASSERT_TRUE(status.exited) << "no abort";
    EXPECT_EQ(status.code, 3);
    EXPECT_EQ(folder.Errors(), "varnel: the display \":369\" does not answer; the printer file manager (\"files\") "
                               "needs one\n");
}

}  // namespace
}  // namespace varnel::test
