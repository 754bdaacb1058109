// varnel-station's command line, its table, its event lines and its summary.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "StationEvents.h"
#include "StationOptions.h"
#include "StationSummary.h"
#include "StationTable.h"
#include "app/Station.h"
#include "support/FakeClock.h"
#include "support/FakeProcessLauncher.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using test::ScratchDir;

ParsedStationOptions Parse(const std::vector<std::string>& arguments) { return ParseStationOptions(arguments); }

TEST(StationOptionsTest, ReadsTheJobAndTheStationsOptions) {
    ScratchDir dir;
    const std::string job = dir.Write("job.txt", "# backup\nreadcfg writefile:{name}.cfg exit\n");
    const ParsedStationOptions parsed =
        Parse({"--run", "readfile:a.cfg writecfg exit", "--job", job, "--run=isfw:RPD1", "--record", "r.jsonl",
               "--timeout", "2.5", "--jobs=4", "--watch", "--port-file", "ports.txt", "--folder", "line3",
               "/dev/pts/3", "--", "--odd-port"});
    ASSERT_EQ(parsed.problem, "");
    const StationOptions& o = parsed.options;
    EXPECT_EQ(o.runs, (std::vector<StationRun>{{"readfile:a.cfg", "writecfg", "exit"},
                                               {"readcfg", "writefile:{name}.cfg", "exit"},
                                               {"isfw:RPD1"}}));
    EXPECT_EQ(o.recordPath, "r.jsonl");
    EXPECT_EQ(o.timeoutMs, 2500);
    EXPECT_EQ(o.jobs, 4);
    EXPECT_TRUE(o.watch);
    EXPECT_EQ(o.portFile, "ports.txt");
    EXPECT_EQ(o.folder, "line3");
    EXPECT_EQ(o.ports, (std::vector<std::string>{"/dev/pts/3", "--odd-port"}));
    EXPECT_EQ(Parse({"--run", "exit"}).options.folder, "station");
}

TEST(StationOptionsTest, WrongUsageIsNamed) {
    struct Case {
        std::vector<std::string> arguments;
        const char* problem;
    };
    const Case cases[] = {
        {{"/dev/pts/3"}, "no job: give --run \"KEYWORDS\" or --job FILE"},
        {{"--run", "exit", "--bogus"}, "unknown option --bogus"},
        {{"--run"}, "--run needs a value"},
        {{"--run", "\"desc:x exit"}, "--run \"\"desc:x exit\": a quote is not closed"},
        {{"--run", "exit", "--timeout", "0"}, "--timeout needs a number of seconds above 0"},
        {{"--run", "exit", "--timeout", "5s"}, "--timeout needs a number of seconds above 0"},
        {{"--run", "exit", "--jobs", "0"}, "--jobs needs a whole number from 1 to 1000"},
        {{"--run", "exit", "--jobs", "-2"}, "--jobs needs a whole number from 1 to 1000"},
        {{"--run", "exit", "--record="}, "--record needs a file name"},
        {{"--job", "/nonexistent/job.txt"}, "the job file /nonexistent/job.txt cannot be read"},
    };
    for (const Case& c : cases) EXPECT_EQ(Parse(c.arguments).problem, c.problem) << c.arguments.back();
    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_EQ(Parse({"--version"}).problem, "");
}

StationPrinter Printer(const std::string& port, PrinterStatus status) {
    StationPrinter printer;
    printer.port = port;
    printer.status = status;
    printer.runCount = 2;
    printer.folder = "/s/" + port;
    return printer;
}

TEST(StationTableTest, OneRowPerPrinterUnderItsHeading) {
    StationPrinter running = Printer("/dev/pts/3", PrinterStatus::Running);
    running.firmware = "RPD1-1.00";
    running.run = 2;
    running.action = "readfile:/a/very/long/folder/name/rpdemo.cfg verify";
    running.startMs = 1000;
    StationPrinter failed = Printer("127.0.0.1:9100", PrinterStatus::Failed);
    failed.run = 1;
    failed.startMs = 0;
    failed.endMs = 3'725'000;
    failed.error = "timed out";
    failed.present = false;
    const std::vector<std::string> lines =
        StationTableLines({running, failed, Printer("p3", PrinterStatus::Waiting)}, 66'000, 200);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "PORT            FIRMWARE   RUN  ACTION                            ELAPSED  RESULT");
    EXPECT_EQ(lines[1],
              "/dev/pts/3      RPD1-1.00  2/2  readfile:/a/very/long/folder/...     1:05  running");
    EXPECT_EQ(lines[2],
              "127.0.0.1:9100  -          1/2  -                                 1:02:05  failed: timed out (gone)");
    EXPECT_EQ(lines[3],
              "p3              -          -    -                                       -  waiting");
    for (const std::string& line : StationTableLines({failed}, 0, 30)) EXPECT_LE(line.size(), 30u);
}

TEST(StationTableTest, ElapsedTimeInMinutesAndHours) {
    EXPECT_EQ(ElapsedText(0), "0:00");
    EXPECT_EQ(ElapsedText(59'999), "0:59");
    EXPECT_EQ(ElapsedText(61'000), "1:01");
    EXPECT_EQ(ElapsedText(3'600'000), "1:00:00");
    EXPECT_EQ(ElapsedText(-5), "0:00");
}

TEST(StationSummaryTest, NamesThePassedAndTheFailedPrinters) {
    StationPrinter failed = Printer("c", PrinterStatus::Failed);
    failed.error = "run 2 ended with exit code 0: Print_Speed does not verify";
    EXPECT_EQ(StationSummaryText({Printer("a", PrinterStatus::Passed), failed, Printer("b", PrinterStatus::Passed)}),
              "Passed: 2  a b\n"
              "Failed: 1\n"
              "  c: run 2 ended with exit code 0: Print_Speed does not verify (log: /s/c/Varnel.log)\n");
    EXPECT_EQ(StationSummaryText({}), "Passed: 0\nFailed: 0\n");
}

TEST(StationEventsTest, OnePlainLinePerEvent) {
    ScratchDir dir;
    test::FakeClock clock;
    test::FakeProcessLauncher launcher;
    Station station(StationSettings{.runs = {{"readcfg", "exit"}}, .program = "/bin/true", .folder = dir.path()},
                    launcher, clock);
    std::ostringstream out;
    StationEvents events(out, station);
    station.SetObserver(&events);
    station.AddPort("p1");
    station.Poll();
    clock.Advance(4000);
    launcher.Finish(0, 4);
    station.Poll();
    station.PortGone("p1");
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find(' ') + 1));
    EXPECT_EQ(lines, (std::vector<std::string>{"p1 added, its runs in " + dir.File("p1"), "p1 run 1 of 1: readcfg exit",
                                               "p1 failed after 0:04: run 1 ended with exit code 4", "p1 gone"}));
}

}  // namespace
}  // namespace varnel
