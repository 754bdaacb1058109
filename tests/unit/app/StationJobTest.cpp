// A station's job: runs as text, job files, port names as file names, the keywords each printer
// gets and how a run is judged.
#include <gtest/gtest.h>
#include <signal.h>

#include <optional>
#include <string>
#include <vector>

#include "app/PortFileName.h"
#include "app/StationJob.h"
#include "app/StationPortSources.h"
#include "app/StationRunCommand.h"
#include "app/StationRunOutcome.h"

namespace varnel {
namespace {

using Runs = std::vector<StationRun>;

TEST(StationJob, SplitsARunAtBlanksAndKeepsQuotedBlanks) {
    struct Case {
        const char* text;
        StationRun run;
    };
    const Case cases[] = {
        {"readcfg writefile:a.cfg exit", {"readcfg", "writefile:a.cfg", "exit"}},
        {"  readcfg\t\texit  ", {"readcfg", "exit"}},
        {"\"desc:Store 12\" exit", {"desc:Store 12", "exit"}},
        {"desc:\"Store 12\" exit", {"desc:Store 12", "exit"}},
        {"readfile:\"my file.cfg\"", {"readfile:my file.cfg"}},
    };
    for (const Case& c : cases) {
        std::string problem;
        std::optional<StationRun> run = SplitRunText(c.text, problem);
        ASSERT_TRUE(run) << c.text;
        EXPECT_EQ(*run, c.run) << c.text;
        EXPECT_EQ(SplitRunText(RunText(*run), problem), run) << "RunText gives back what splits to the same";
    }
}

TEST(StationJob, RefusesAnUnclosedQuoteAndAnEmptyRun) {
    for (const char* text : {"desc:\"Store 12 exit", "", "   \t"}) {
        std::string problem;
        EXPECT_FALSE(SplitRunText(text, problem)) << text;
        EXPECT_FALSE(problem.empty()) << text;
    }
}

TEST(StationJob, ReadsAJobFileOneRunALine) {
    std::string problem;
    const std::optional<Runs> runs = ReadJobText(
        "# write, then prove it\r\n"
        "readfile:rpdemo.cfg writecfg exit   # the write\n"
        "\n"
        "   \n"
        "readfile:rpdemo.cfg verify",
        problem);
    ASSERT_TRUE(runs) << problem;
    EXPECT_EQ(*runs, (Runs{{"readfile:rpdemo.cfg", "writecfg", "exit"}, {"readfile:rpdemo.cfg", "verify"}}));
}

TEST(StationJob, AJobFileProblemNamesItsLine) {
    std::string problem;
    EXPECT_FALSE(ReadJobText("readcfg exit\n\n\"desc:x\n", problem));
    EXPECT_EQ(problem, "line 3: a quote is not closed");
    EXPECT_FALSE(ReadJobText("# nothing but a comment\n\n", problem));
    EXPECT_EQ(problem, "the job holds no run");
}

TEST(StationJob, PortNamesBecomeSafeFileNames) {
    struct Case {
        const char* port;
        const char* name;
    };
    const Case cases[] = {
        {"/dev/pts/3", "pts_3"},
        {"/dev/ttyUSB0", "ttyUSB0"},
        {"127.0.0.1:9100", "127.0.0.1_9100"},
        {"[::1]:9100", "___1__9100"},
        {"COM1:", "COM1_"},
        {"\\\\.\\COM12", "__._COM12"},
        {"..", "_.."},
        {".hidden", "_.hidden"},
        {"", "_"},
        {"/dev/", "_dev_"},
        {"printer one/two", "printer_one_two"},
    };
    for (const Case& c : cases) EXPECT_EQ(SafePortName(c.port), c.name) << c.port;
}

TEST(StationJob, EachPrinterGetsItsPortAndFilesFromTheWorkingFolder) {
    const StationRun run{"readfile:rpdemo.cfg",  "writefile:backup-{name}.cfg", "-map:/abs/x.map",
                         "optslock:sub/x.opt",   "desc:Printer on {port}",       "store.cfg",
                         "/abs/store.cfg",       "cfg1.cfg",                     "port:{port}",
                         "MAPLOCK:m.map",        "writefile:",                   "exit"};
    EXPECT_EQ(PrinterRun(run, "/dev/pts/3", "pts_3", "/work"),
              (StationRun{"readfile:/work/rpdemo.cfg", "writefile:/work/backup-pts_3.cfg", "-map:/abs/x.map",
                          "optslock:/work/sub/x.opt", "desc:Printer on /dev/pts/3", "/work/store.cfg",
                          "/abs/store.cfg", "cfg1.cfg", "port:/dev/pts/3", "MAPLOCK:/work/m.map", "writefile:",
                          "exit"}));
}

TEST(StationJob, ARunEndingInACheckPassesWithExitCodeOne) {
    struct Case {
        StationRun run;
        int code;
    };
    const Case cases[] = {
        {{"readfile:a.cfg", "verify"}, 1},
        {{"readfile:a.cfg", "-VERIFYcfg"}, 1},
        {{"isfw:RPD1"}, 1},
        {{"isfwr:RPD1-1.00", "exit"}, 1},
        {{"readfile:a.cfg", "writecfg", "exit"}, 0},
        {{"readcfg", "writefile:verify.cfg", "exit"}, 0},
        {{"files"}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(PassingExitCode(c.run), c.code) << RunText(c.run);
}

TEST(StationJob, ARunIsJudgedByItsExitCodeAndItsRecordSaysWhy) {
    const StationRun write{"readfile:a.cfg", "writecfg", "exit"};
    const StationRun verify{"readfile:a.cfg", "verify"};
    const std::string record = R"({"firmware":"RPD1-1.00","errors":["I/O Port failure","second"]})";
    const std::string earlier = R"({"firmware":"OLD","errors":[]})";
    const ProcessEnd exited0{.exited = true, .code = 0};
    const ProcessEnd exited1{.exited = true, .code = 1};
    const ProcessEnd exited4{.exited = true, .code = 4};

    RunOutcome passed = JudgeRun(1, write, exited0, false, record + "\n");
    EXPECT_TRUE(passed.passed);
    EXPECT_EQ(passed.firmware, "RPD1-1.00");
    EXPECT_EQ(passed.recordLine, record);

    EXPECT_TRUE(JudgeRun(2, verify, exited1, false, "").passed);
    EXPECT_EQ(JudgeRun(2, verify, exited0, false, record + "\n").error,
              "run 2 ended with exit code 0: I/O Port failure");
    EXPECT_EQ(JudgeRun(1, write, exited4, false, earlier + "\n" + record + "\n").firmware, "RPD1-1.00");
    EXPECT_EQ(JudgeRun(1, write, exited4, false, "").error, "run 1 ended with exit code 4");
    EXPECT_EQ(JudgeRun(1, write, ProcessEnd{.signal = SIGSEGV}, false, "").error, "run 1 ended by signal 11");
    const RunOutcome late = JudgeRun(1, write, ProcessEnd{.signal = SIGTERM}, true, "");
    EXPECT_FALSE(late.passed);
    EXPECT_EQ(late.error, "timed out");
    EXPECT_FALSE(JudgeRun(1, write, exited0, false, "{\"half a line").recordLine);
    EXPECT_FALSE(JudgeRun(1, write, exited0, false, "not json\n").recordLine);
}

TEST(StationJob, APortListFileNamesOnePortALine) {
    EXPECT_EQ(PortListText("# the line's printers\n/dev/ttyUSB0\r\n  192.168.0.9:9100  # shelf 2\n\n\tCOM3\n"),
              (std::vector<std::string>{"/dev/ttyUSB0", "192.168.0.9:9100", "COM3"}));
    EXPECT_TRUE(PortListText("").empty());
}

}  // namespace
}  // namespace varnel
