#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ActionObserver.h"
#include "app/CommandActions.h"
#include "app/ProgramOptions.h"
#include "base/ExitRequest.h"

namespace varnel {
namespace {

// Records every action as "name(argument)"; the process-ending ones answer with `result`.
class RecordingActions : public CommandActions {
public:
    int CmdVerify() override { return Record("verify", "", result); }
    void CmdWriteFile(const std::string& a) override { Record("writefile", a); }
    void CmdReset() override { Record("reset", ""); }
    void CmdAutoBaud() override { Record("autobaud", ""); }
    void CmdPortSetup(const std::string& a) override { Record("portsetup", a); }
    void CmdHandshake(const std::string& a) override { Record("handshake", a); }
    void CmdMap(const std::string& a) override { Record("map", a); }
    int CmdIsFw(const std::string& a) override { return Record("isfw", a, result); }
    int CmdIsFwr(const std::string& a) override { return Record("isfwr", a, result); }
    void CmdMapLock(const std::string& a) override { Record("maplock", a); }
    void CmdDelay(int32_t ms) override { Record("delay", std::to_string(ms)); }
    void CmdOptsLock(const std::string& a) override { Record("optslock", a); }
    void CmdReadFile(const std::string& a) override { Record("readfile", a); }
    void CmdSer(const std::string& a) override { Record("ser", a); }
    void CmdGtSer(const std::string& a) override { Record("gtser", a); }
    void CmdManu(const std::string& a) override { Record("manu", a); }
    void CmdDesc(const std::string& a) override { Record("desc", a); }
    void CmdReadCfg() override { Record("readcfg", ""); }
    void CmdWriteCfg() override { Record("writecfg", ""); }
    void CmdPort(const std::string& a) override { Record("port", a); }
    void CmdSilent(int mode) override { Record("silent", std::to_string(mode)); }
    void CmdFlash(const std::string& a) override { Record("flash", a); }
    void CmdFlashBaud(const std::string& a) override { Record("flashbaud", a); }
    void CmdFiles() override { Record("files", ""); }
    void CmdExit() override { Record("exit", ""); }
    void CmdConfigFile(const std::string& a) override { Record("configfile", a); }

    std::vector<std::string> calls;
    int result = 1;

private:
    int Record(const std::string& name, const std::string& argument, int answer = 0) {
        calls.push_back(name + "(" + argument + ")");
        return answer;
    }
};

// Hears each action as "name(argument) -> how it ended": a result, or "done".
class RecordingObserver : public ActionObserver {
public:
    void ActionStarting(std::string_view action, const std::optional<std::string>& argument) override {
        heard.push_back(std::string(action) + (argument ? "(" + *argument + ")" : ""));
    }
    void ActionFinished(std::optional<int> result) override {
        heard.back() += " -> " + (result ? std::to_string(*result) : "done");
    }
    std::vector<std::string> heard;
};

struct DispatchCase {
    std::string parameter;
    std::string call;
};

// Named by their parameter: without these, GoogleTest prints the cases' raw bytes, unused string
// buffers included, which memory checkers rightly flag as uninitialised reads.
void PrintTo(const DispatchCase& c, std::ostream* out) { *out << "\"" << c.parameter << "\""; }

class DispatchTable : public testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchTable, ParameterReachesItsActionWithItsArgument) {
    RecordingActions actions;
    try {
        DispatchCommandLine(actions, {GetParam().parameter});
    } catch (const ExitRequest&) {
        // verify and the firmware checks end the process; the call is what matters here.
    }
    ASSERT_EQ(actions.calls.size(), 1u);
    EXPECT_EQ(actions.calls[0], GetParam().call);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, DispatchTable,
    testing::Values(
        // Prefix keywords compare without case over their own length; the rest is ignored.
        DispatchCase{"RESET", "reset()"}, DispatchCase{"resetNow", "reset()"}, DispatchCase{"reset", "reset()"},
        DispatchCase{"-reset", "reset()"}, DispatchCase{"/reset", "reset()"},
        DispatchCase{"VERIFY", "verify()"}, DispatchCase{"-verify", "verify()"},
        DispatchCase{"/verifycfg", "verify()"},
        // "s" and "sa" only as whole parameters.
        DispatchCase{"s", "silent(1)"}, DispatchCase{"SA", "silent(2)"}, DispatchCase{"-sa", "silent(2)"},
        DispatchCase{"save.cfg", "configfile(save.cfg)"}, DispatchCase{"sample", "configfile(sample)"},
        // A file named after a keyword is that keyword.
        DispatchCase{"cfg1.cfg", "writecfg()"}, DispatchCase{"reset.cfg", "reset()"},
        DispatchCase{"files.cfg", "files()"}, DispatchCase{"writecfg", "writecfg()"},
        // One separator character after "portsetup" and "handshake", whatever it is.
        DispatchCase{"portsetup:9600", "portsetup(9600)"}, DispatchCase{"portsetup9600", "portsetup(600)"},
        DispatchCase{"portsetup", "portsetup()"}, DispatchCase{"portsetup:", "portsetup()"},
        DispatchCase{"handshake:hardware", "handshake(hardware)"},
        DispatchCase{"portsetup:baud=9600 parity=N data=8 stop=1", "portsetup(baud=9600 parity=N data=8 stop=1)"},
        // "delay:" converts as atoi does; no digits is 0.
        DispatchCase{"delay:abc", "delay(0)"}, DispatchCase{"delay:-5", "delay(-5)"},
        DispatchCase{"delay:  250ms", "delay(250)"},
        // Keywords ending in ":" pass what follows them, as written.
        DispatchCase{"readfile:test.cfg", "readfile(test.cfg)"}, DispatchCase{"READFILE:Test.CFG", "readfile(Test.CFG)"},
        DispatchCase{"writefile:out.cfg", "writefile(out.cfg)"}, DispatchCase{"map:a.map", "map(a.map)"},
        DispatchCase{"maplock:a.map", "maplock(a.map)"}, DispatchCase{"optslock:a.opt", "optslock(a.opt)"},
        DispatchCase{"isfw:PB15", "isfw(PB15)"}, DispatchCase{"isfwr:PB15_101", "isfwr(PB15_101)"},
        DispatchCase{"ser:12345678901", "ser(12345678901)"}, DispatchCase{"gtser:X", "gtser(X)"},
        DispatchCase{"manu:ACME", "manu(ACME)"}, DispatchCase{"desc:Front counter", "desc(Front counter)"},
        DispatchCase{"readcfg", "readcfg()"}, DispatchCase{"port:COM7", "port(COM7)"},
        DispatchCase{"port:", "port()"}, DispatchCase{"flash:PB", "flash(PB)"},
        DispatchCase{"flashbaud:115200", "flashbaud(115200)"}, DispatchCase{"exit", "exit()"},
        DispatchCase{"Exit", "exit()"}, DispatchCase{"files", "files()"},
        // Anything else is a configuration file. A "-" is removed like a switch; on this system
        // a "/" begins an absolute path and stays.
        DispatchCase{"a.cfg", "configfile(a.cfg)"}, DispatchCase{"-a.cfg", "configfile(a.cfg)"},
        DispatchCase{"/tmp/run/a.cfg", "configfile(/tmp/run/a.cfg)"}, DispatchCase{"", "configfile()"}));

TEST(DispatchCommandLine, ActsOnEveryParameterInOrder) {
    RecordingActions actions;
    DispatchCommandLine(actions, {"port:COM1", "readfile:a.cfg", "writecfg", "exit"});
    EXPECT_EQ(actions.calls,
              (std::vector<std::string>{"port(COM1)", "readfile(a.cfg)", "writecfg()", "exit()"}));
}

TEST(DispatchCommandLine, OpenShowsTheNextParameterAsReadfileDoes) {
    struct Case {
        std::vector<std::string> parameters;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        // The file that follows is taken as it stands, even when it looks like a keyword.
        {{"--open", "/home/u/store 12.cfg"}, {"readfile(/home/u/store 12.cfg)"}},
        {{"port:COM1", "--open", "reset.cfg", "exit"}, {"port(COM1)", "readfile(reset.cfg)", "exit()"}},
        {{"--open", "--open"}, {"readfile(--open)"}},
        // Nothing follows (a desktop start without a file): nothing is read.
        {{"--open"}, {}},
        {{"port:COM1", "--open"}, {"port(COM1)"}},
        // Only the option as written: one dash, a "/" or another case is what it always was.
        {{"-open", "a.cfg"}, {"configfile(open)", "configfile(a.cfg)"}},
        {{"/-open"}, {"configfile(/-open)"}},
        {{"--OPEN", "a.cfg"}, {"configfile(-OPEN)", "configfile(a.cfg)"}},
    };
    for (const Case& c : cases) {
        RecordingActions actions;
        DispatchCommandLine(actions, c.parameters);
        EXPECT_EQ(actions.calls, c.calls) << testing::PrintToString(c.parameters);
    }
    RecordingActions actions;
    RecordingObserver observer;
    DispatchCommandLine(actions, {"--open", "a.cfg"}, &observer);
    EXPECT_EQ(observer.heard, std::vector<std::string>{"open(a.cfg) -> done"});
}

TEST(DispatchCommandLine, TellsTheObserverEachActionByItsNameWithItsArgument) {
    RecordingActions actions;
    RecordingObserver observer;
    DispatchCommandLine(actions,
                        {"/cfg1.cfg", "delay:  250ms", "delay:abc", "portsetup:9600", "sa", "s", "RESET.cfg",
                         "readfile:a.cfg", "save.cfg", "/tmp/a.cfg", "exit"},
                        &observer);
    // An alias is named by the keyword it stands for; a delay by the number it waits.
    EXPECT_EQ(observer.heard,
              (std::vector<std::string>{"writecfg -> done", "delay(250) -> done", "delay(0) -> done",
                                        "portsetup(9600) -> done", "sa -> done", "s -> done", "reset -> done",
                                        "readfile(a.cfg) -> done", "file(save.cfg) -> done",
                                        "file(/tmp/a.cfg) -> done", "exit -> done"}));
    EXPECT_EQ(actions.calls.size(), observer.heard.size());
}

TEST(DispatchCommandLine, TellsTheObserverAnEndingActionsResultBeforeTheProcessEnds) {
    for (const auto& [parameter, heard] : {std::pair{"verifycfg", "verify -> 0"}, std::pair{"isfw:PB", "isfw(PB) -> 0"},
                                           std::pair{"isfwr:PB_1", "isfwr(PB_1) -> 0"}}) {
        RecordingActions actions;
        actions.result = 0;
        RecordingObserver observer;
        EXPECT_THROW(DispatchCommandLine(actions, {parameter, "reset"}, &observer), ExitRequest) << parameter;
        EXPECT_EQ(observer.heard, std::vector<std::string>{heard});
    }
}

struct EndingCase {
    std::string parameter;
    int result;
    int exitCode;
};

void PrintTo(const EndingCase& c, std::ostream* out) { *out << "\"" << c.parameter << "\""; }

class ProcessEndingAction : public testing::TestWithParam<EndingCase> {};

TEST_P(ProcessEndingAction, EndsWithItsExitCodeAndLooksAtNothingAfter) {
    RecordingActions actions;
    actions.result = GetParam().result;
    try {
        DispatchCommandLine(actions, {"port:COM2", GetParam().parameter, "reset", "exit"});
        FAIL() << "the process did not end";
    } catch (const ExitRequest& request) {
        EXPECT_EQ(request.exitCode, GetParam().exitCode);
    }
    ASSERT_EQ(actions.calls.size(), 2u);
    EXPECT_EQ(actions.calls[0], "port(COM2)");
}

INSTANTIATE_TEST_SUITE_P(Rows, ProcessEndingAction,
                         testing::Values(EndingCase{"verify", 1, 1}, EndingCase{"verify", 0, 0},
                                         EndingCase{"/verifycfg", 1, 1}, EndingCase{"isfw:PB15", 1, 1},
                                         EndingCase{"isfw:PB15", 0, 0}, EndingCase{"isfwr:PB15_101", 1, 1},
                                         // Only 1 is success; anything else fails.
                                         EndingCase{"isfwr:PB15_101", -1, 0}));

TEST(ProgramOptions, AreFoundAnywhereBeforeTheirEnd) {
    struct Case {
        std::vector<std::string> arguments;
        const char* strictEnvironment;
        bool help, version, strict;
        std::vector<std::string> parameters;
    };
    const Case cases[] = {
        {{"--help"}, nullptr, true, false, false, {}},
        {{"port:COM1", "--version"}, nullptr, false, true, false, {"port:COM1"}},
        // One "-" or "/" starts a keyword or a file name, never an option.
        {{"-help", "version", "-h", "-V", "/strict"}, nullptr, false, false, false,
         {"-help", "version", "-h", "-V", "/strict"}},
        {{"sa", "--strict", "verify"}, nullptr, false, false, true, {"sa", "verify"}},
        {{"exit"}, "1", false, false, true, {"exit"}},
        {{"exit"}, "0", false, false, false, {"exit"}},
        {{"exit"}, "", false, false, false, {"exit"}},
        // After "--" everything is a parameter, a configuration file named "--strict" included.
        {{"--strict", "--", "--help", "--strict", "--"}, nullptr, false, false, true, {"--help", "--strict", "--"}},
        // "--open" is a keyword: it and the file after it stay parameters, whatever the file's name.
        {{"--strict", "--open", "--help.cfg"}, nullptr, false, false, true, {"--open", "--help.cfg"}},
        {{"--open"}, nullptr, false, false, false, {"--open"}},
    };
    for (const Case& c : cases) {
        const ProgramOptions options = ParseProgramOptions(c.arguments, {nullptr, c.strictEnvironment});
        const std::string name = c.arguments.front();
        EXPECT_EQ(options.problem, "") << name;
        EXPECT_EQ(options.help, c.help) << name;
        EXPECT_EQ(options.version, c.version) << name;
        EXPECT_EQ(options.strict, c.strict) << name;
        EXPECT_EQ(options.parameters, c.parameters) << name;
    }
}

TEST(ProgramOptions, AnUnknownOptionIsWrongUsageNamedInTheProblem) {
    const ProgramOptions options = ParseProgramOptions({"sa", "--bogus-option", "--recorder", "exit"}, {});
    EXPECT_EQ(options.problem, "unknown option \"--bogus-option\" (varnel --help lists the options)");
    // Options are compared whole: a longer name is not the option.
    EXPECT_NE(ParseProgramOptions({"--strictly"}, {}).problem, "");
    EXPECT_NE(ParseProgramOptions({"--help=me"}, {}).problem, "");
    EXPECT_EQ(ParseProgramOptions({"--", "--bogus-option"}, {}).problem, "");
}

TEST(ProgramOptions, UsageListsEveryKeyword) {
    std::string usage = UsageText();
    for (const char* keyword : {"verify", "verifycfg", "writefile:", "reset", "autobaud", "portsetup", "handshake",
                                "map:", "isfw:", "isfwr:", "maplock:", "delay:", "optslock:", "readfile:", "ser:",
                                "gtser:", "manu:", "desc:", "readcfg", "writecfg", "cfg", "port:", "s", "sa",
                                "flash:", "flashbaud:", "files", "exit", "--open <path>"})
        EXPECT_NE(usage.find(std::string("\n  ") + keyword), std::string::npos) << keyword;
}

}  // namespace
}  // namespace varnel
