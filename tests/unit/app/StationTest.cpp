// The station model with a fake launcher and a fake clock: which runs start, with what, when a
// printer passes or fails, timeouts, stop, ports that come and go, and the station record.
#include "app/Station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/PortWatcher.h"
#include "app/StationModelReach.h"
#include "app/StationObserver.h"
#include "support/FakeClock.h"
#include "support/FakeProcessLauncher.h"
#include "support/ScratchDir.h"
#include "support/SplitText.h"

namespace varnel {
namespace {

using nlohmann::json;
using test::FakeClock;
using test::FakeProcessLauncher;
using test::ScratchDir;

// Every call, as a line a test can compare.
class RecordingStationObserver : public StationObserver {
public:
    void PrinterAdded(const StationPrinter& printer) override { events.push_back("added " + printer.port); }
    void PrinterChanged(const StationPrinter& printer) override {
        events.push_back("changed " + printer.port + (printer.present ? "" : " gone") +
                         (printer.status == PrinterStatus::Running ? " run " + std::to_string(printer.run) : ""));
    }
    void PrinterEnded(const StationPrinter& printer) override {
        events.push_back("ended " + printer.port + (printer.status == PrinterStatus::Passed ? " passed" : " failed: ") +
                         printer.error);
    }
    void StationProblem(const std::string& text) override { events.push_back("problem " + text); }
    std::vector<std::string> events;
};

// A port list that the test changes between looks.
class ListedPorts : public PortSource {
public:
    explicit ListedPorts(std::vector<std::string>& ports) : ports_(ports) {}
    std::vector<std::string> Ports() override { return ports_; }

private:
    std::vector<std::string>& ports_;
};

std::string Record(const std::string& firmware, const std::vector<std::string>& errors = {}) {
    return json{{"firmware", firmware}, {"errors", errors}}.dump();
}

class StationTest : public ::testing::Test {
protected:
    StationSettings Settings() {
        return StationSettings{.runs = {{"readfile:rpdemo.cfg", "writecfg", "exit"}, {"readfile:rpdemo.cfg", "verify"}},
                               .program = "/opt/varnel",
                               .folder = dir.File("station"),
                               .workingFolder = "/line",
                               .recordPath = dir.File("r.jsonl"),
                               .environment = {"XDG_DATA_HOME=/x"}};
    }
    Station& Make(StationSettings settings) {
        station = std::make_unique<Station>(std::move(settings), launcher, clock);
        station->SetObserver(&observer);
        return *station;
    }
    std::vector<json> RecordLines() {
        std::vector<json> lines;
        for (const std::string& line : test::SplitAt(dir.Read("r.jsonl"), "\n")) lines.push_back(json::parse(line));
        return lines;
    }
    const StationPrinter& Printer(size_t index) { return station->Printers().at(index); }

    ScratchDir dir;
    FakeClock clock;
    FakeProcessLauncher launcher;
    RecordingStationObserver observer;
    std::unique_ptr<Station> station;
};

TEST_F(StationTest, EveryPrinterRunsItsJobInVarnelProcessesOfItsOwn) {
    Station& s = Make(Settings());
    s.AddPort("/dev/pts/7");
    s.AddPort("127.0.0.1:9100");
    s.Poll();
    ASSERT_EQ(launcher.launches.size(), 2u) << "all printers at once";
    const LaunchRequest& first = launcher.launches[0]->request;
    EXPECT_EQ(first.program, "/opt/varnel");
    EXPECT_EQ(first.folder, dir.File("station/pts_7"));
    EXPECT_TRUE(std::filesystem::is_directory(first.folder));
    EXPECT_EQ(first.arguments,
              (std::vector<std::string>{"--strict", "--record", dir.File("station/pts_7/runs.jsonl"),
                                        "port:/dev/pts/7", "readfile:/line/rpdemo.cfg", "writecfg", "exit"}));
    EXPECT_EQ(first.outputPath, dir.File("station/pts_7/output.txt"));
    EXPECT_EQ(first.set, std::vector<std::string>{"XDG_DATA_HOME=/x"});
    EXPECT_EQ(first.unset, (std::vector<std::string>{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}));
    EXPECT_EQ(launcher.launches[1]->request.folder, dir.File("station/127.0.0.1_9100"));
    EXPECT_EQ(Printer(0).status, PrinterStatus::Running);
    EXPECT_EQ(Printer(0).run, 1);
    EXPECT_EQ(Printer(0).runCount, 2);
    EXPECT_EQ(Printer(0).action, "readfile:rpdemo.cfg writecfg exit");
    EXPECT_EQ(Printer(0).LogPath(), dir.File("station/pts_7/Varnel.log"));
}

TEST_F(StationTest, APrinterPassesWhenEveryRunEndsAsItShould) {
    Station& s = Make(Settings());
    s.AddPort("/dev/pts/7");
    s.Poll();
    clock.Advance(1500);
    launcher.Finish(0, 0, Record("RPD1-1.00"));
    s.Poll();
    ASSERT_EQ(launcher.launches.size(), 2u) << "the second run follows the first";
    EXPECT_EQ(launcher.launches[1]->request.arguments.back(), "verify");
    EXPECT_EQ(Printer(0).run, 2);
    EXPECT_EQ(Printer(0).firmware, "RPD1-1.00");
    EXPECT_DOUBLE_EQ(Printer(0).Progress(), 0.5);
    clock.Advance(1000);
    launcher.Finish(1, 1, Record("RPD1-1.00"));
    s.Poll();
    EXPECT_EQ(Printer(0).status, PrinterStatus::Passed);
    EXPECT_EQ(Printer(0).ElapsedMs(clock.now + 5000), 2500);
    EXPECT_DOUBLE_EQ(Printer(0).Progress(), 1.0);
    EXPECT_FALSE(s.Busy());
    EXPECT_TRUE(s.NoneFailed());
    EXPECT_EQ(observer.events, (std::vector<std::string>{"added /dev/pts/7", "changed /dev/pts/7 run 1",
                                                         "changed /dev/pts/7 run 2", "ended /dev/pts/7 passed"}));

    const std::vector<json> lines = RecordLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["port"], "/dev/pts/7");
    EXPECT_EQ(lines[0]["passed"], true);
    EXPECT_TRUE(lines[0]["error"].is_null());
    ASSERT_EQ(lines[0]["runs"].size(), 2u);
    EXPECT_EQ(lines[0]["runs"][0]["firmware"], "RPD1-1.00");
    EXPECT_TRUE(lines[0]["start"].is_string());
    EXPECT_TRUE(lines[0]["end"].is_string());
}

TEST_F(StationTest, AFailedRunEndsThePrinterWithItsFirstError) {
    Station& s = Make(Settings());
    s.AddPort("a");
    s.AddPort("b");
    s.Poll();
    launcher.Finish(0, 4, Record("", {"I/O Port failure", "later"}));  // --strict: an action failed
    launcher.Finish(1, 0, Record("RPD1-1.00"));
    s.Poll();
    EXPECT_EQ(Printer(0).status, PrinterStatus::Failed);
    EXPECT_EQ(Printer(0).error, "run 1 ended with exit code 4: I/O Port failure");
    EXPECT_EQ(launcher.launches.size(), 3u) << "no second run for the failed printer";
    launcher.Finish(2, 0, Record("RPD1-1.00", {"Print_Speed does not verify"}));  // verify failed
    s.Poll();
    EXPECT_EQ(Printer(1).status, PrinterStatus::Failed);
    EXPECT_EQ(Printer(1).error, "run 2 ended with exit code 0: Print_Speed does not verify");
    EXPECT_FALSE(s.NoneFailed());
    const std::vector<json> lines = RecordLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["port"], "a");
    EXPECT_EQ(lines[0]["passed"], false);
    EXPECT_EQ(lines[0]["error"], "run 1 ended with exit code 4: I/O Port failure");
    EXPECT_EQ(lines[1]["runs"].size(), 2u);
}

TEST_F(StationTest, JobsBoundsThePrintersRunningAtOnce) {
    StationSettings settings = Settings();
    settings.runs = {{"readcfg", "exit"}};
    settings.jobs = 2;
    Station& s = Make(settings);
    for (const char* port : {"p1", "p2", "p3", "p4", "p5"}) s.AddPort(port);
    s.Poll();
    EXPECT_EQ(launcher.Running().size(), 2u);
    EXPECT_EQ(Printer(2).status, PrinterStatus::Waiting);
    launcher.Finish(0, 0);
    s.Poll();
    EXPECT_EQ(launcher.Running().size(), 2u);
    EXPECT_EQ(launcher.launches.back()->request.arguments[3], "port:p3") << "printers start in the order they came";
    for (size_t i = 1; i < 5; ++i) {
        while (!launcher.Running().empty()) launcher.Finish(launcher.Running().front(), 0);
        s.Poll();
    }
    EXPECT_EQ(launcher.launches.size(), 5u);
    EXPECT_FALSE(s.Busy());
    EXPECT_TRUE(s.NoneFailed());
}

TEST_F(StationTest, APrinterPastTheTimeoutIsEndedAndFailsAsTimedOut) {
    StationSettings settings = Settings();
    settings.timeoutMs = 10000;
    Station& s = Make(settings);
    s.AddPort("slow");
    s.AddPort("quick");
    s.Poll();
    launcher.launches[0]->ignoresTerminate = true;
    clock.Advance(6000);
    launcher.Finish(1, 0);
    s.Poll();
    launcher.Finish(2, 1);
    s.Poll();
    EXPECT_EQ(Printer(1).status, PrinterStatus::Passed);
    clock.Advance(3999);
    s.Poll();
    EXPECT_FALSE(launcher.launches[0]->terminated) << "the timeout bounds the printer's whole job";
    clock.Advance(1);
    s.Poll();
    EXPECT_TRUE(launcher.launches[0]->terminated);
    EXPECT_FALSE(launcher.launches[0]->killed);
    clock.Advance(kEndGraceMs - 1);
    s.Poll();
    EXPECT_FALSE(launcher.launches[0]->killed);
    clock.Advance(1);
    s.Poll();
    EXPECT_TRUE(launcher.launches[0]->killed) << "SIGKILL follows when SIGTERM is not heeded";
    s.Poll();
    EXPECT_EQ(Printer(0).status, PrinterStatus::Failed);
    EXPECT_EQ(Printer(0).error, "timed out");
    EXPECT_EQ(launcher.launches.size(), 3u);
}

TEST_F(StationTest, StopEndsEveryRunAndWritesWhatIsKnown) {
    StationSettings settings = Settings();
    settings.jobs = 2;
    Station& s = Make(settings);
    for (const char* port : {"p1", "p2", "p3"}) s.AddPort(port);
    s.Poll();
    launcher.launches[1]->ignoresTerminate = true;
    s.Stop();
    EXPECT_TRUE(launcher.launches[0]->terminated);
    EXPECT_FALSE(launcher.launches[0]->killed);
    EXPECT_TRUE(launcher.launches[1]->killed);
    EXPECT_TRUE(launcher.Running().empty());
    EXPECT_FALSE(s.Busy());
    EXPECT_EQ(Printer(0).error, "stopped");
    EXPECT_EQ(Printer(1).error, "stopped");
    EXPECT_EQ(Printer(2).error, "stopped before its job started");
    EXPECT_EQ(RecordLines().size(), 3u);
    EXPECT_EQ(launcher.launches.size(), 2u);
}

TEST_F(StationTest, AProgramThatDoesNotStartFailsThePrinter) {
    launcher.failWith = "/opt/varnel: No such file or directory";
    Station& s = Make(Settings());
    s.AddPort("p1");
    s.Poll();
    EXPECT_EQ(Printer(0).status, PrinterStatus::Failed);
    EXPECT_EQ(Printer(0).error, "run 1 did not start: /opt/varnel: No such file or directory");
}

TEST_F(StationTest, ARecordThatCannotBeWrittenIsSaid) {
    StationSettings settings = Settings();
    settings.recordPath = dir.File("no/such/folder/r.jsonl");
    Station& s = Make(settings);
    s.AddPort("p1");
    s.Poll();
    launcher.Finish(0, 3);
    s.Poll();
    ASSERT_FALSE(observer.events.empty());
    EXPECT_EQ(observer.events[observer.events.size() - 2].rfind("problem the record of p1 could not be appended", 0),
              0u);
}

TEST_F(StationTest, PortsWithTheSameSafeNameGetFoldersOfTheirOwn) {
    Station& s = Make(Settings());
    s.AddPort("/dev/pts/3");
    s.AddPort("pts/3");
    s.AddPort("/dev/pts/3");  // known already
    ASSERT_EQ(s.Printers().size(), 2u);
    EXPECT_EQ(Printer(0).name, "pts_3");
    EXPECT_EQ(Printer(1).name, "pts_3-2");
}

TEST_F(StationTest, AWatchedPortGetsTheJobAndAGoneOneIsShown) {
    StationSettings settings = Settings();
    settings.runs = {{"readcfg", "exit"}};
    Station& s = Make(settings);
    std::vector<std::string> ports{"/dev/ttyUSB0"};
    std::vector<std::unique_ptr<PortSource>> sources;
    sources.push_back(std::make_unique<ListedPorts>(ports));
    PortWatcher watcher(s, std::move(sources));
    watcher.Look();
    s.Poll();
    ASSERT_EQ(launcher.launches.size(), 1u);
    launcher.Finish(0, 0);
    s.Poll();
    ports.push_back("10.0.0.5:9100");  // plugged in
    watcher.Look();
    s.Poll();
    ASSERT_EQ(launcher.launches.size(), 2u);
    EXPECT_EQ(launcher.launches[1]->request.arguments[3], "port:10.0.0.5:9100");
    ports.erase(ports.begin());  // unplugged
    watcher.Look();
    EXPECT_FALSE(Printer(0).present);
    EXPECT_EQ(Printer(0).status, PrinterStatus::Passed) << "its result stays on the row";
    ports.push_back("/dev/ttyUSB0");  // another printer on the same port
    watcher.Look();
    EXPECT_TRUE(Printer(0).present);
    EXPECT_EQ(Printer(0).status, PrinterStatus::Waiting);
    s.Poll();
    EXPECT_EQ(launcher.launches.size(), 3u);
    EXPECT_EQ(s.Printers().size(), 2u);
    EXPECT_NE(std::find(observer.events.begin(), observer.events.end(), "changed /dev/ttyUSB0 gone"),
              observer.events.end());
}

TEST_F(StationTest, AGonePortWaitsUntilItIsBack) {
    StationSettings settings = Settings();
    settings.jobs = 1;
    Station& s = Make(settings);
    s.AddPort("p1");
    s.AddPort("p2");
    s.PortGone("p2");
    s.Poll();
    launcher.Finish(0, 0);
    s.Poll();
    launcher.Finish(1, 1);
    s.Poll();
    EXPECT_EQ(launcher.launches.size(), 2u);
    EXPECT_EQ(Printer(1).status, PrinterStatus::Waiting);
}

TEST(StationModelReachTest, RunsFindModelFilesOfTheWorkingFolderFirst) {
    ScratchDir dir;
    std::string problem;
    const auto environment = [](const char* name) -> std::optional<std::string> {
        if (std::string(name) == "XDG_DATA_HOME") return "/home/u/.local/share";
        if (std::string(name) == "XDG_DATA_DIRS") return "/usr/share";
        return std::nullopt;
    };
    for (int time = 0; time < 2; ++time) {  // a second station in the same folder
        const std::optional<std::vector<std::string>> entries =
            StationModelReach(dir.File("station"), "/line/work", environment, problem);
        ASSERT_TRUE(entries) << problem;
        EXPECT_EQ(*entries, (std::vector<std::string>{"XDG_DATA_HOME=" + dir.File("station/.models"),
                                                      "XDG_DATA_DIRS=/home/u/.local/share:/usr/share"}));
    }
    EXPECT_EQ(std::filesystem::read_symlink(dir.File("station/.models/varnel/models")), "/line/work");
    dir.Write("file", "");
    EXPECT_FALSE(StationModelReach(dir.File("file/station"), "/line/work", environment, problem));
    EXPECT_FALSE(problem.empty());
}

}  // namespace
}  // namespace varnel
