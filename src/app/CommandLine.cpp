#include "app/CommandLine.h"

#include <algorithm>
#include <array>
#include <optional>
#include <variant>

#include "app/ActionObserver.h"
#include "app/CommandActions.h"
#include "base/AsciiText.h"
#include "base/ExitRequest.h"
#include "base/TextNumbers.h"

namespace varnel {
namespace {

// Exit codes of the actions that end the process.
constexpr int kExitPassed = 1;
constexpr int kExitFailed = 0;

enum class Match {
    Prefix,
    Exact,
    Option,  // the whole parameter as typed, its leading "-" included, case and all ("--open")
};
enum class Argument {
    None,            // the rest of the parameter is ignored
    Rest,            // everything after the keyword
    AfterSeparator,  // after the keyword and one more character (the ':' of "portsetup:9600")
    WholeNumber,     // everything after the keyword, read as atoi reads it ("delay:1500")
    NextParameter,   // the parameter that follows ("--open FILE"), which is then not dispatched
};

using Action = void (*)(CommandActions&, const std::string&);
// An action whose result ends the process.
using EndingAction = int (*)(CommandActions&, const std::string&);

struct KeywordRow {
    std::string_view keyword;
    Match match;
    Argument argument;
    std::variant<Action, EndingAction> action;
    std::string_view argumentForm;  // for the usage text
    std::string_view description;
    std::string_view aliasOf = {};  // the keyword whose action this row repeats, which names it
};

constexpr std::string_view kConfigFileAction = "file";

// The process ends here: 1 when the action succeeded, 0 otherwise.
[[noreturn]] void EndProcess(int result) { throw ExitRequest{result == 1 ? kExitPassed : kExitFailed}; }

// In the order in which they are tested: the first match wins, so "verifycfg" is taken by
// "verify" and "cfg1.cfg" by "cfg".
constexpr std::array kKeywordRows{
    KeywordRow{"verify", Match::Prefix, Argument::None,
               [](CommandActions& a, const std::string&) { return a.CmdVerify(); },
               "", "compare the printer with the configuration in memory; exit code 1 passed, 0 failed"},
    KeywordRow{"verifycfg", Match::Prefix, Argument::None,
               [](CommandActions& a, const std::string&) { return a.CmdVerify(); }, "", "same as verify", "verify"},
    KeywordRow{"writefile:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdWriteFile(arg); },
               "<path>", "write the configuration in memory to a configuration file"},
    KeywordRow{"reset", Match::Prefix, Argument::None, [](CommandActions& a, const std::string&) { a.CmdReset(); },
               "", "reset the printer"},
    KeywordRow{"autobaud", Match::Prefix, Argument::None,
               [](CommandActions& a, const std::string&) { a.CmdAutoBaud(); }, "", "detect the printer's baud rate"},
    KeywordRow{"portsetup", Match::Prefix, Argument::AfterSeparator,
               [](CommandActions& a, const std::string& arg) { a.CmdPortSetup(arg); },
               ":<settings>", "set up the serial line (\"baud=9600 parity=N data=8 stop=1\")"},
    KeywordRow{"handshake", Match::Prefix, Argument::AfterSeparator,
               [](CommandActions& a, const std::string& arg) { a.CmdHandshake(arg); },
               ":<kind>", "flow control: hardware, xon or none"},
    KeywordRow{"map:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdMap(arg); }, "<path>", "load a map file"},
    KeywordRow{"isfw:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { return a.CmdIsFw(arg); },
               "<id>", "check the firmware identifier's first 6 characters; exit code 1 matches, 0 not"},
    KeywordRow{"isfwr:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { return a.CmdIsFwr(arg); },
               "<id>", "check the whole firmware identifier; exit code 1 matches, 0 not"},
    KeywordRow{"maplock:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdMapLock(arg); },
               "<path>", "accept wrong lock values from now on, load a map file"},
    KeywordRow{"delay:", Match::Prefix, Argument::WholeNumber,
               [](CommandActions& a, const std::string& arg) { a.CmdDelay(AtoI(arg)); },
               "<ms>", "accept wrong lock values from now on, wait"},
    KeywordRow{"optslock:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdOptsLock(arg); },
               "<path>", "accept wrong lock values from now on, load an options file"},
    KeywordRow{"readfile:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdReadFile(arg); },
               "<path>", "read a configuration file and keep it for the main window"},
    // For the desktop entry, which hands over a file to show: a bare path would be read and then
    // emptied again before the window opens.
    KeywordRow{"--open", Match::Option, Argument::NextParameter,
               [](CommandActions& a, const std::string& arg) { a.CmdReadFile(arg); },
               " <path>", "show a configuration file in the main window, as readfile: does"},
    KeywordRow{"ser:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdSer(arg); },
               "<11 characters>", "program the serial number"},
    KeywordRow{"gtser:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdGtSer(arg); },
               "<text>", "program the serial number, second form"},
    KeywordRow{"manu:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdManu(arg); },
               "<text>", "program the manufacture id (at most 12 characters)"},
    KeywordRow{"desc:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdDesc(arg); },
               "<text>", "program the description (at most 48 characters)"},
    KeywordRow{"readcfg", Match::Prefix, Argument::None,
               [](CommandActions& a, const std::string&) { a.CmdReadCfg(); },
               "", "read the printer's configuration into memory"},
    KeywordRow{"writecfg", Match::Prefix, Argument::None,
               [](CommandActions& a, const std::string&) { a.CmdWriteCfg(); },
               "", "write the configuration in memory to the printer"},
    KeywordRow{"cfg", Match::Prefix, Argument::None, [](CommandActions& a, const std::string&) { a.CmdWriteCfg(); },
               "", "same as writecfg", "writecfg"},
    KeywordRow{"port:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdPort(arg); },
               "<name>", "use this port (COM1, LPT1, USB001, 192.168.0.9:9100, /dev/ttyUSB0 ...)"},
    KeywordRow{"s", Match::Exact, Argument::None, [](CommandActions& a, const std::string&) { a.CmdSilent(1); },
               "", "silent: box errors only"},
    KeywordRow{"sa", Match::Exact, Argument::None, [](CommandActions& a, const std::string&) { a.CmdSilent(2); },
               "", "silent: box nothing"},
    KeywordRow{"flash:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdFlash(arg); },
               "<prefix>", "update the firmware from the newest matching boot file, unattended"},
    KeywordRow{"flashbaud:", Match::Prefix, Argument::Rest,
               [](CommandActions& a, const std::string& arg) { a.CmdFlashBaud(arg); },
               "<baud>", "baud rate of the next firmware update"},
    KeywordRow{"files", Match::Prefix, Argument::None, [](CommandActions& a, const std::string&) { a.CmdFiles(); },
               "", "show the printer's files, then end without the main window"},
    KeywordRow{"exit", Match::Prefix, Argument::None, [](CommandActions& a, const std::string&) { a.CmdExit(); },
               "", "end without the main window once the last parameter is done"},
};

constexpr size_t kUsageColumn = 26;

// What the user typed: the parameter with its switch mark put back.
std::string Typed(std::string_view parameter, char switchMark) {
    std::string typed = switchMark == kNoSwitchMark ? std::string() : std::string(1, switchMark);
    return typed += parameter;
}

bool Matches(const KeywordRow& row, std::string_view parameter, char switchMark) {
    switch (row.match) {
    case Match::Prefix:
        return StartsWithIgnoreCase(parameter, row.keyword);
    case Match::Exact:
        return EqualsIgnoreCase(parameter, row.keyword);
    case Match::Option:
        return Typed(parameter, switchMark) == row.keyword;
    }
    return false;
}

std::string ArgumentOf(const KeywordRow& row, std::string_view parameter, const std::string* next) {
    size_t skip = row.keyword.size();
    switch (row.argument) {
    case Argument::None:
        return {};
    case Argument::NextParameter:
        return *next;
    case Argument::AfterSeparator:
        ++skip;
        break;
    case Argument::Rest:
    case Argument::WholeNumber:
        break;
    }
    const std::string_view rest = skip < parameter.size() ? parameter.substr(skip) : std::string_view();
    if (row.argument == Argument::WholeNumber) return std::to_string(AtoI(rest));
    return std::string(rest);
}

std::string_view ActionName(const KeywordRow& row) {
    std::string_view name = row.aliasOf.empty() ? row.keyword : row.aliasOf;
    if (name.ends_with(':')) name.remove_suffix(1);
    while (name.starts_with('-')) name.remove_prefix(1);
    return name;
}

// The result of an action that ends the process; none for the others.
std::optional<int> Carry(const KeywordRow& row, CommandActions& actions, const std::string& argument) {
    if (const EndingAction* ending = std::get_if<EndingAction>(&row.action)) return (*ending)(actions, argument);
    std::get<Action>(row.action)(actions, argument);
    return std::nullopt;
}

constexpr char kPathRoot = '/';
bool IsSwitchMark(char c) { return c == '-' || c == kPathRoot; }

// Acts on one parameter; `next` is the parameter after it, if any. True when the action took
// `next` as its argument.
bool Dispatch(CommandActions& actions, std::string_view parameter, char switchMark, const std::string* next,
              ActionObserver* observer) {
    for (const KeywordRow& row : kKeywordRows) {
        if (!Matches(row, parameter, switchMark)) continue;
        // The desktop entry's "%f" gives nothing when it starts the program without a file.
        if (row.argument == Argument::NextParameter && !next) return false;
        const std::string argument = ArgumentOf(row, parameter, next);
        if (observer)
            observer->ActionStarting(ActionName(row), row.argument == Argument::None ? std::nullopt
                                                                                    : std::optional(argument));
        const std::optional<int> result = Carry(row, actions, argument);
        if (observer) observer->ActionFinished(result);
        if (result) EndProcess(*result);
        return row.argument == Argument::NextParameter && next;
    }
    // Not a keyword: a configuration file path. On this system a leading "/" starts an absolute
    // path, so it stays part of the path.
    std::string path = switchMark == kPathRoot ? std::string(1, kPathRoot) : std::string();
    path += parameter;
    if (observer) observer->ActionStarting(kConfigFileAction, path);
    actions.CmdConfigFile(path);
    if (observer) observer->ActionFinished(std::nullopt);
    return false;
}

}  // namespace

void ParseParam(CommandActions& actions, std::string_view parameter, char switchMark, ActionObserver* observer) {
    Dispatch(actions, parameter, switchMark, nullptr, observer);
}

std::string_view MatchedKeyword(std::string_view parameter) {
    for (const KeywordRow& row : kKeywordRows)
        if (Matches(row, parameter, kNoSwitchMark)) return row.keyword;
    return {};
}

void DispatchCommandLine(CommandActions& actions, const std::vector<std::string>& parameters,
                         ActionObserver* observer) {
    for (size_t i = 0; i < parameters.size(); ++i) {
        std::string_view text = parameters[i];
        char switchMark = !text.empty() && IsSwitchMark(text.front()) ? text.front() : kNoSwitchMark;
        if (switchMark != kNoSwitchMark) text.remove_prefix(1);
        const std::string* next = i + 1 < parameters.size() ? &parameters[i + 1] : nullptr;
        if (Dispatch(actions, text, switchMark, next, observer)) ++i;
    }
}

std::string UsageText() {
    std::string text =
        "Usage: varnel [--strict] [--record FILE] [--] [parameter ...]\n"
        "       varnel [--strict] [--record FILE] --open FILE\n"
        "       varnel --help | --version\n"
        "\n"
        "Configures receipt printers. Parameters are acted on in order; keywords compare without\n"
        "regard to case, may start with one \"-\" or \"/\", and match at the start of a parameter\n"
        "(\"s\" and \"sa\" only as a whole). A parameter that is no keyword is a configuration file\n"
        "to read. Without \"exit\", \"files\", \"verify\", \"isfw:\" or \"isfwr:\" the main window opens\n"
        "afterwards (a display is needed for it).\n"
        "\n"
        "Keywords:\n";
    for (const KeywordRow& row : kKeywordRows) {
        std::string line = "  ";
        line += row.keyword;
        line += row.argumentForm;
        line.resize(std::max(line.size() + 2, kUsageColumn), ' ');
        line += row.description;
        text += line;
        text += '\n';
    }
    std::string pathLine = "  <path>";
    pathLine.resize(kUsageColumn, ' ');
    text += pathLine + "read a configuration file (the main window then starts empty)\n";
    text +=
        "\n"
        "Options begin with \"--\" and may stand anywhere before a \"--\" that ends them:\n"
        "--record FILE, or the environment variable VARNEL_RECORD=FILE, appends one line of JSON per\n"
        "run to FILE: start and end time, host, port, parameters, firmware, serial number, actions\n"
        "with their outcome, verification differences, errors and the exit code. FILE is opened\n"
        "before anything runs.\n"
        "--strict, or VARNEL_STRICT=1: a run that would end with 0 although an action failed or an\n"
        "error was reported ends with 4.\n"
        "\n"
        "Exit codes: verify, isfw: and isfwr: end with 1 (passed) or 0 (failed); other runs with 0;\n"
        "2 for an unknown option or a --record file that cannot be opened (nothing runs); 3 when\n"
        "a window is needed and no display is available; 4 as --strict says.\n";
    return text;
}

}  // namespace varnel
