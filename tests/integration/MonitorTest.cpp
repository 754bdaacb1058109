#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/ScratchDir.h"
#include "support/TestPaths.h"

namespace varnel {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// Far below the notifier's 2000 ms call time-out: a report that finds no monitor must not wait
// for it.
constexpr long kPromptMs = 1000;

std::string ProbeExe() { return test::BinaryDir() + "/tests/monitor_probe"; }
std::string MonitorExe() { return test::BinaryDir() + "/tools/monitor/varnel-monitor"; }

bool CanRun(const std::string& program) { return access(program.c_str(), X_OK) == 0; }

bool HaveDbusRunSession() { return std::system("command -v dbus-run-session >/dev/null 2>&1") == 0; }

int RunShell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Report {
    int eventCode;
    int severity;
    std::string text;
};

class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CanRun(ProbeExe()) || !CanRun(MonitorExe())) GTEST_SKIP() << "built without the Qt programs";
    }

    // The probe's arguments for `reports`, their texts written to files.
    std::string ProbeArguments(const std::vector<Report>& reports) {
        std::string arguments;
        for (std::size_t i = 0; i < reports.size(); ++i) {
            const std::string file = dir.File("text" + std::to_string(i));
            WriteFileBytes(file, reports[i].text);
            arguments += " " + std::to_string(reports[i].eventCode) + " " + std::to_string(reports[i].severity) + " '" +
                         file + "'";
        }
        return arguments;
    }

    // The milliseconds each Notify took, as the probe printed them.
    std::vector<long> ProbeTimes() {
        std::istringstream in(ReadFileBytes(dir.File("probe.out")));
        std::vector<long> times;
        for (long ms = 0; in >> ms;) times.push_back(ms);
        return times;
    }

    test::ScratchDir dir;
};

TEST_F(MonitorTest, TheMonitorPrintsEachReportWithBothCodes) {
    if (!HaveDbusRunSession()) GTEST_SKIP() << "dbus-run-session is not installed";
    const std::vector<Report> reports = {
        {4, 10, "Configuration Error: Closing communications Port due to an Error. Communications request Failed."},
        {5, 5, "Gr\xC3\xB6\xC3\x9F" "e 80 mm"},           // UTF-8
        {16, 5, "Caf\xE9 \x80 \x93" "5\x94"},               // Windows-1252
        {0, 5, "two\r\nlines"},
        {65535, 10, ""},
        {0, 10, std::string("ends at\0 the zero byte", 23)},
    };
    const std::string script =
        "'" + MonitorExe() + "' >'" + dir.File("monitor.out") + "' 2>'" + dir.File("monitor.err") + "' & monitor=$!\n"
        "tries=0\n"
        "until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
        "org.freedesktop.DBus.NameHasOwner string:com.pellam.Monitor 2>/dev/null | grep -q true; do\n"
        "  tries=$((tries+1)); if [ $tries -gt 200 ]; then kill $monitor; exit 3; fi; sleep 0.05\n"
        "done\n"
        "'" + ProbeExe() + "'" + ProbeArguments(reports) + " >'" + dir.File("probe.out") + "' || exit 4\n"
        "{ kill $monitor; wait $monitor; } 2>/dev/null; exit 0\n";
    WriteFileBytes(dir.File("run.sh"), script);

    ASSERT_EQ(RunShell("dbus-run-session -- sh '" + dir.File("run.sh") + "' 2>'" + dir.File("bus.err") + "'"), 0)
        << ReadFileBytes(dir.File("bus.err")) << ReadFileBytes(dir.File("monitor.err"));

    EXPECT_EQ(ReadFileBytes(dir.File("monitor.out")),
              "4 10 Configuration Error: Closing communications Port due to an Error. Communications request Failed.\n"
              "5 5 Gr\xC3\xB6\xC3\x9F" "e 80 mm\n"
              "16 5 Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9C" "5\xE2\x80\x9D\n"
              "0 5 two lines\n"
              "65535 10 \n"
              "0 10 ends at\n");
}

TEST_F(MonitorTest, WithoutAMonitorOnTheBusReportsAreSkippedPromptly) {
    if (!HaveDbusRunSession()) GTEST_SKIP() << "dbus-run-session is not installed";
    const std::string command = "dbus-run-session -- '" + ProbeExe() + "'" + ProbeArguments({{0, 5, "a"}, {0, 10, "b"}}) +
                                " >'" + dir.File("probe.out") + "' 2>'" + dir.File("bus.err") + "'";
    ASSERT_EQ(RunShell(command), 0) << ReadFileBytes(dir.File("bus.err"));
    const std::vector<long> times = ProbeTimes();
    ASSERT_EQ(times.size(), 2u);
    for (long ms : times) EXPECT_LT(ms, kPromptMs);
}

TEST_F(MonitorTest, WithoutASessionBusReportsAreSkippedPromptly) {
    const std::string command = "DBUS_SESSION_BUS_ADDRESS='unix:path=" + dir.File("no-bus") + "' '" + ProbeExe() + "'" +
                                ProbeArguments({{1, 5, "a"}, {2, 5, "b"}, {0, 10, "c"}}) + " >'" + dir.File("probe.out") +
                                "' 2>'" + dir.File("probe.err") + "'";
    ASSERT_EQ(RunShell(command), 0) << ReadFileBytes(dir.File("probe.err"));
    const std::vector<long> times = ProbeTimes();
    ASSERT_EQ(times.size(), 3u);
    for (long ms : times) EXPECT_LT(ms, kPromptMs);
}

}  // namespace
}  // namespace varnel
