// The varnel program run headless, as a production script runs it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "io/FileSettingsStore.h"
#include "io/SettingsStore.h"
#include "support/ScratchDir.h"
#include "support/TestPaths.h"
#include "support/VarnelRun.h"

namespace varnel {
namespace {

using test::ReadFileBytes;
using test::RunVarnel;
using test::ScratchDir;
using test::VarnelRun;

// Time stamps differ from run to run; everything else of the log is fixed.
std::string MaskTimeStamps(const std::string& log) {
    static const std::regex stamp(
        "(Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday), "
        "(January|February|March|April|May|June|July|August|September|October|November|December) "
        "[0-9]{2}, [0-9]{2}:[0-9]{2}:[0-9]{2}");
    return std::regex_replace(log, stamp, "<time>");
}

const std::string kRule(75, '=');
const std::string kStartBlock =
    kRule + "\r\nConfiguration Application Invoked:     <time>\r\n" + kRule + "\r\n\r\n";
const std::string kExitEntry = "Configuration Message: \r\nExiting Printer Configuration.\r\n\r\n";
const std::string kEndEntry = "Configuration Application Terminated:    <time>\r\n\r\n";

std::optional<std::string> StoredPortName(const ScratchDir& dir) {
    FileSettingsStore store(dir.File("registry.reg"));
    auto value = store.GetValue(kPortSettingsKey, "PortName");
    if (!value) return std::nullopt;
    return value->data;
}

TEST(AppProgram, ExitEndsTheRunWithTheMessageAndABracketedLog) {
    ScratchDir dir;
    VarnelRun run = RunVarnel(dir.path(), {"exit"});
    EXPECT_EQ(run.ExitCode(), 0);
    EXPECT_EQ(run.err, "Configuration Message: Exiting Printer Configuration.\n");
    EXPECT_EQ(MaskTimeStamps(ReadFileBytes(dir.File("Varnel.log"))), kStartBlock + kExitEntry + kEndEntry);
}

TEST(AppProgram, PortChosenInOneRunIsTheDefaultOfTheNext) {
    ScratchDir dir;
    VarnelRun first = RunVarnel(dir.path(), {"sa", "port:COM7", "exit"});
    EXPECT_EQ(first.ExitCode(), 0);
    EXPECT_EQ(first.err, "");  // "sa" boxes nothing
    EXPECT_EQ(StoredPortName(dir), "COM7");

    VarnelRun second = RunVarnel(dir.path(), {"sa", "exit"});
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_EQ(StoredPortName(dir), "COM7");
    std::string run = kStartBlock + kExitEntry + kEndEntry;
    EXPECT_EQ(MaskTimeStamps(ReadFileBytes(dir.File("Varnel.log"))), run + run);
}

TEST(AppProgram, AClosedStandardErrorDoesNotCutTheRunShort) {
    ScratchDir dir;
    // A script that reads only the first line of the output (`2>&1 | head -1`) has gone.
    int errPipe[2];
    ASSERT_EQ(::pipe2(errPipe, O_CLOEXEC), 0);
    ::close(errPipe[0]);
    VarnelRun run = RunVarnel(dir.path(), {"port:COM7", "exit"}, test::kVarnelRunLimit, errPipe[1]);
    ::close(errPipe[1]);
    EXPECT_EQ(run.status.signal, 0);
    EXPECT_EQ(run.ExitCode(), 0);
    EXPECT_EQ(StoredPortName(dir), "COM7");
    EXPECT_EQ(MaskTimeStamps(ReadFileBytes(dir.File("Varnel.log"))), kStartBlock + kExitEntry + kEndEntry);
}

TEST(AppProgram, WithoutParametersAndWithoutDisplayItSaysWhyAndEndsWithThree) {
    ScratchDir dir;
    VarnelRun run = RunVarnel(dir.path(), {});
    EXPECT_EQ(run.ExitCode(), 3);
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.err.rfind("varnel: no display available; the main window cannot open (use \"exit\"", 0), 0u)
        << run.err;
    // The shutdown still ran.
    EXPECT_EQ(MaskTimeStamps(ReadFileBytes(dir.File("Varnel.log"))), kStartBlock + kEndEntry);
}

TEST(AppProgram, VerifyEndsTheProcessAndLooksAtNothingAfterIt) {
    ScratchDir dir;
    // No port and no configuration: the verification fails, so the exit code is 0.
    VarnelRun run = RunVarnel(dir.path(), {"sa", "verify", "exit"});
    EXPECT_EQ(run.ExitCode(), 0);
    std::string log = MaskTimeStamps(ReadFileBytes(dir.File("Varnel.log")));
    EXPECT_EQ(log.find("Exiting Printer Configuration."), std::string::npos);
    EXPECT_NE(log.find("Configuration Error: \r\n"), std::string::npos);
    EXPECT_EQ(log.rfind(kEndEntry), log.size() - kEndEntry.size());
}

TEST(AppProgram, ReportsReachTheStatusMonitorOnTheSessionBus) {
    std::string monitor = test::BinaryDir() + "/tools/monitor/varnel-monitor";
    if (::access(monitor.c_str(), X_OK) != 0) GTEST_SKIP() << "built without the status monitor";
    if (std::system("command -v dbus-run-session >/dev/null 2>&1") != 0) GTEST_SKIP() << "no dbus-run-session";
    ScratchDir dir;
    const std::string script =
        "cd '" + dir.path() + "' || exit 2\n"
        "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM\n"
        "export VARNEL_SETTINGS='" + dir.File("registry.reg") + "'\n"
        "'" + monitor + "' >monitor.out 2>monitor.err & monitor=$!\n"
        "tries=0\n"
        "until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
        "org.freedesktop.DBus.NameHasOwner string:com.pellam.Monitor 2>/dev/null | grep -q true; do\n"
        "  tries=$((tries+1)); if [ $tries -gt 200 ]; then kill $monitor; exit 3; fi; sleep 0.05\n"
        "done\n"
        "'" + test::VarnelExe() + "' sa port:COM4 exit 2>varnel.err || exit 4\n"
        "{ kill $monitor; wait $monitor; } 2>/dev/null; exit 0\n";
    test::WriteFileBytes(dir.File("run.sh"), script);
    int status = std::system(("dbus-run-session -- sh '" + dir.File("run.sh") + "' 2>'" + dir.File("bus.err") + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadFileBytes(dir.File("bus.err"));
    EXPECT_EQ(ReadFileBytes(dir.File("monitor.out")), "3 5 Exiting Printer Configuration.\n");
}

TEST(AppProgram, HelpAndVersionAnswerWithoutARun) {
    ScratchDir dir;
    VarnelRun version = RunVarnel(dir.path(), {"--version"});
    EXPECT_EQ(version.ExitCode(), 0);
    EXPECT_EQ(version.out, "varnel 2.26.0\n");

    VarnelRun help = RunVarnel(dir.path(), {"--help"});
    EXPECT_EQ(help.ExitCode(), 0);
    EXPECT_NE(help.out.find("Usage: varnel"), std::string::npos);
    EXPECT_NE(help.out.find("\n  flashbaud:<baud>"), std::string::npos);
    EXPECT_NE(help.out.find("\n  exit "), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("Varnel.log")), "");
}

}  // namespace
}  // namespace varnel
