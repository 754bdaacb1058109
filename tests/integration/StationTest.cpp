// varnel-station with simulated printers: a job on six printers at once, a printer that takes
// too long, a port that joins while the station watches, and a stop in the middle of a run.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "app/PortFileName.h"
#include "support/ChildProcess.h"
#include "support/DemoModel.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/SplitText.h"
#include "support/TestPaths.h"

namespace varnel::test {
namespace {

using nlohmann::json;

constexpr auto kStationLimit = std::chrono::seconds(240);
constexpr auto kWaitStep = std::chrono::milliseconds(100);
const char* const kWriteRun = "readfile:rpdemo.cfg writecfg exit";
const char* const kVerifyRun = "readfile:rpdemo.cfg verify";

// A station started in `folder`, its output going to "station.txt" there.
class StationProcess {
public:
    StationProcess(const ScratchDir& folder, const std::vector<std::string>& arguments) : folder_(folder) {
        const int out = ::open(folder.File("station.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        process_ = std::make_unique<ChildProcess>(StationExe(), arguments,
                                                  HeadlessEnvironment(folder.File("registry.reg")), folder.path(),
                                                  out, out);
        ::close(out);
    }
    ExitStatus Wait() { return process_->Wait(kStationLimit); }
    void Signal(int signal) { process_->Signal(signal); }
    std::string Output() const { return folder_.Read("station.txt"); }

private:
    const ScratchDir& folder_;
    std::unique_ptr<ChildProcess> process_;
};

std::vector<json> RecordLines(const std::string& text) {
    std::vector<json> lines;
    for (const std::string& line : SplitAt(text, "\n")) lines.push_back(json::parse(line, nullptr, false));
    return lines;
}

const json* LineOf(const std::vector<json>& lines, const std::string& port) {
    for (const json& line : lines)
        if (line.is_object() && line["port"] == port) return &line;
    return nullptr;
}

// Waits, without a limit of its own beyond the station's, until `done` holds.
template <typename Condition>
bool WaitFor(Condition done) {
    const auto until = std::chrono::steady_clock::now() + kStationLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(kWaitStep);
    }
    return true;
}

// The varnel processes still running whose command line names `port`.
int VarnelProcessesOn(const std::string& port) {
    int found = 0;
    DIR* proc = ::opendir("/proc");
    if (!proc) return 0;
    while (dirent* entry = ::readdir(proc)) {
        const std::string cmdline = ReadFileBytes(std::string("/proc/") + entry->d_name + "/cmdline");
        if (cmdline.find(VarnelExe() + '\0') == 0 && cmdline.find("port:" + port + '\0') != std::string::npos) ++found;
    }
    ::closedir(proc);
    return found;
}

class StationTest : public ::testing::Test {
protected:
    void SetUp() override { CopyDemoModel(dir.path()); }
    // A simulated demo printer holding the demo configuration.
    std::string Printer(SimulatorLine line, const std::vector<std::string>& faults = {}) {
        std::vector<std::string> switches = DemoPrinterSwitches(dir.File("rpdemo_101.map"), dir.File("rpdemo.cfg"));
        switches.insert(switches.end(), faults.begin(), faults.end());
        simulators.push_back(std::make_unique<SimulatorProcess>(line, switches, printers.path()));
        return simulators.back()->Port();
    }

    ScratchDir dir;
    ScratchDir printers;
    std::vector<std::unique_ptr<SimulatorProcess>> simulators;
};

TEST_F(StationTest, SixPrintersAtOnceFivePassAndTheSilentOneFails) {
    std::vector<std::string> ports;
    for (int i = 0; i < 3; ++i) ports.push_back(Printer(SimulatorLine::Pty));
    const std::string silent = Printer(SimulatorLine::Pty, {"--fault-silent", "firmware"});
    ports.push_back(silent);
    for (int i = 0; i < 2; ++i) ports.push_back(Printer(SimulatorLine::Tcp));
    for (const std::string& port : ports) ASSERT_FALSE(port.empty());

    std::vector<std::string> arguments{"--record", "r.jsonl", "--run", kWriteRun, "--run", kVerifyRun};
    arguments.insert(arguments.end(), ports.begin(), ports.end());
    StationProcess station(dir, arguments);
    const ExitStatus status = station.Wait();
    const std::string output = station.Output();
    ASSERT_TRUE(status.exited) << output;
    EXPECT_EQ(status.code, 1) << output;

    const std::vector<json> lines = RecordLines(dir.Read("r.jsonl"));
    ASSERT_EQ(lines.size(), 6u) << "one record line per printer";
    for (const std::string& port : ports) {
        SCOPED_TRACE(port);
        const json* line = LineOf(lines, port);
        ASSERT_NE(line, nullptr);
        const std::string folder = dir.File("station/" + SafePortName(port));
        EXPECT_TRUE(std::filesystem::exists(folder + "/Varnel.log")) << "each printer logs in its own folder";
        if (port == silent) {
            EXPECT_EQ((*line)["passed"], false);
            EXPECT_TRUE((*line)["error"].is_string());
            continue;
        }
        EXPECT_EQ((*line)["passed"], true) << line->dump();
        ASSERT_EQ((*line)["runs"].size(), 2u);
        EXPECT_EQ((*line)["runs"][0]["firmware"], "RPD1-1.01");
        EXPECT_EQ((*line)["runs"][1]["exitCode"], 1);
        const std::string log = ReadFileBytes(folder + "/Varnel.log");
        EXPECT_EQ(log.find(silent), std::string::npos) << "no other printer's entries in its log";
    }
    EXPECT_NE(output.find("Passed: 5"), std::string::npos) << output;
    EXPECT_NE(output.find("Failed: 1\n  " + silent + ": "), std::string::npos) << output;
    EXPECT_NE(output.find(ports[0] + " run 2 of 2: " + kVerifyRun), std::string::npos)
        << "not a terminal: one plain line per event\n" << output;
}

TEST_F(StationTest, APrinterPastTheTimeoutFailsAsTimedOutWhileTheOthersPass) {
    // Replies held 300 ms each: within the read time-outs, so the read goes on for minutes.
    const std::string slow = Printer(SimulatorLine::Pty, {"--fault-slow", "300"});
    const std::string quick = Printer(SimulatorLine::Tcp);
    const std::string other = Printer(SimulatorLine::Pty);
    StationProcess station(dir, {"--record", "r.jsonl", "--timeout", "15", "--run", "readcfg writefile:{name}.cfg exit",
                                 slow, quick, other});
    const ExitStatus status = station.Wait();
    ASSERT_TRUE(status.exited) << station.Output();
    EXPECT_EQ(status.code, 1);
    const std::vector<json> lines = RecordLines(dir.Read("r.jsonl"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ((*LineOf(lines, slow))["error"], "timed out");
    EXPECT_EQ((*LineOf(lines, quick))["passed"], true);
    EXPECT_EQ((*LineOf(lines, other))["passed"], true);
    EXPECT_NE(dir.Read(SafePortName(quick) + ".cfg").find(kDemoSpeedLine), std::string::npos)
        << "{name} and the file name taken from the station's folder";
    EXPECT_FALSE(std::filesystem::exists(dir.File(SafePortName(slow) + ".cfg")));
    EXPECT_EQ(VarnelProcessesOn(slow), 0);
}

TEST_F(StationTest, APortAddedWhileWatchingGetsTheJob) {
    const std::string first = Printer(SimulatorLine::Tcp);
    const std::string added = Printer(SimulatorLine::Pty);
    dir.Write("ports.txt", first + "\n");
    StationProcess station(dir, {"--watch", "--port-file", "ports.txt", "--record", "r.jsonl", "--run",
                                 "readcfg writefile:{name}.cfg exit"});
    ASSERT_TRUE(WaitFor([&] { return SplitAt(dir.Read("r.jsonl"), "\n").size() == 1; })) << station.Output();
    dir.Write("ports.txt", "# the bench\n" + first + "\n" + added + "\n");
    ASSERT_TRUE(WaitFor([&] { return SplitAt(dir.Read("r.jsonl"), "\n").size() == 2; })) << station.Output();
    station.Signal(SIGTERM);
    const ExitStatus status = station.Wait();
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 0) << "stopped while idle, every printer passed\n" << station.Output();
    const std::vector<json> lines = RecordLines(dir.Read("r.jsonl"));
    EXPECT_EQ(lines[1]["port"], added);
    EXPECT_EQ(lines[1]["passed"], true);
    EXPECT_NE(dir.Read(SafePortName(added) + ".cfg").find(kDemoSpeedLine), std::string::npos);
}

TEST_F(StationTest, AStopSignalEndsEveryRunAndWritesWhatIsKnown) {
    const std::string slow = Printer(SimulatorLine::Pty, {"--fault-slow", "1000"});
    const std::string slowToo = Printer(SimulatorLine::Tcp, {"--fault-slow", "1000"});
    StationProcess station(dir, {"--record", "r.jsonl", "--run", "readcfg exit", slow, slowToo});
    ASSERT_TRUE(WaitFor([&] { return VarnelProcessesOn(slow) == 1 && VarnelProcessesOn(slowToo) == 1; }));
    station.Signal(SIGINT);
    const ExitStatus status = station.Wait();
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 1);
    EXPECT_EQ(VarnelProcessesOn(slow) + VarnelProcessesOn(slowToo), 0) << "no varnel outlives the station";
    const std::vector<json> lines = RecordLines(dir.Read("r.jsonl"));
    ASSERT_EQ(lines.size(), 2u);
    for (const json& line : lines) EXPECT_EQ(line["error"], "stopped");
}

TEST_F(StationTest, WrongUsageEndsWithTwoBeforeAnythingRuns) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--run", "readcfg exit", "--bogus", "p"},
          std::vector<std::string>{"--run", "readcfg exit", "--record", "/nonexistent/r.jsonl", "p"},
          std::vector<std::string>{"p"}}) {
        StationProcess station(dir, arguments);
        const ExitStatus status = station.Wait();
        ASSERT_TRUE(status.exited);
        EXPECT_EQ(status.code, 2) << station.Output();
        EXPECT_FALSE(std::filesystem::exists(dir.File("station")));
    }
}

}  // namespace
}  // namespace varnel::test
