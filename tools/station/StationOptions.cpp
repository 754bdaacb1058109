#include "StationOptions.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include "base/TextNumbers.h"

namespace varnel {
namespace {

constexpr double kMsPerSecond = 1000.0;
constexpr int kMostJobs = 1000;

struct Reader {
    const std::vector<std::string>& arguments;
    size_t next = 0;
    std::string problem{};

    // The value of `option`: after "=" in the same argument, else the next argument.
    std::optional<std::string> Value(const std::string& option, const std::optional<std::string>& inline_) {
        if (inline_) return inline_;
        if (next >= arguments.size()) {
            problem = option + " needs a value";
            return std::nullopt;
        }
        return arguments[next++];
    }
};

bool ReadJobFile(const std::string& path, std::vector<StationRun>& runs, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "the job file " + path + " cannot be read";
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string jobProblem;
    std::optional<std::vector<StationRun>> job = ReadJobText(text, jobProblem);
    if (!job) {
        problem = path + ": " + jobProblem;
        return false;
    }
    runs.insert(runs.end(), job->begin(), job->end());
    return true;
}

bool ReadSeconds(const std::string& text, int64_t& ms) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0) return false;
    ms = static_cast<int64_t>(std::ceil(seconds * kMsPerSecond));
    return true;
}

bool ReadJobs(const std::string& text, int& jobs) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    jobs = AtoI(text);
    return jobs >= 1 && jobs <= kMostJobs;
}

// One option at reader.next - 1; false with reader.problem set when it is wrong.
bool TakeOption(Reader& reader, const std::string& argument, StationOptions& options) {
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const std::optional<std::string> inline_ =
        equals == std::string::npos ? std::nullopt : std::optional(argument.substr(equals + 1));
    if (name == "--help") return options.help = true;
    if (name == "--version") return options.version = true;
    if (name == "--watch") return options.watch = true;
    std::optional<std::string> value;
    if (name == "--run" || name == "--job" || name == "--record" || name == "--timeout" || name == "--jobs" ||
        name == "--port-file" || name == "--folder") {
        value = reader.Value(name, inline_);
        if (!value) return false;
    } else {
        reader.problem = "unknown option " + argument;
        return false;
    }
    if (name == "--run") {
        std::string runProblem;
        std::optional<StationRun> run = SplitRunText(*value, runProblem);
        if (!run) reader.problem = "--run \"" + *value + "\": " + runProblem;
        if (run) options.runs.push_back(std::move(*run));
        return run.has_value();
    }
    if (name == "--job") return ReadJobFile(*value, options.runs, reader.problem);
    if (name == "--timeout") {
        if (!ReadSeconds(*value, options.timeoutMs)) reader.problem = "--timeout needs a number of seconds above 0";
        return reader.problem.empty();
    }
    if (name == "--jobs") {
        if (!ReadJobs(*value, options.jobs)) reader.problem = "--jobs needs a whole number from 1 to 1000";
        return reader.problem.empty();
    }
    std::string& target = name == "--record" ? options.recordPath : name == "--port-file" ? options.portFile
                                                                                           : options.folder;
    target = *value;
    if (target.empty()) reader.problem = name + " needs a file name";
    return !target.empty();
}

}  // namespace

ParsedStationOptions ParseStationOptions(const std::vector<std::string>& arguments) {
    ParsedStationOptions parsed;
    Reader reader{arguments};
    bool optionsEnded = false;
    while (reader.next < arguments.size()) {
        const std::string& argument = arguments[reader.next++];
        if (optionsEnded || !argument.starts_with("--")) {
            parsed.options.ports.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!TakeOption(reader, argument, parsed.options)) {
            parsed.problem = reader.problem;
            return parsed;
        }
    }
    if (parsed.options.help || parsed.options.version) return parsed;
    if (parsed.options.runs.empty()) parsed.problem = "no job: give --run \"KEYWORDS\" or --job FILE";
    return parsed;
}

std::string StationUsageText() {
    return "Usage: varnel-station [--run \"KEYWORDS\"]... [--job FILE] [--record FILE] [--timeout SECONDS]\n"
           "                      [--jobs N] [--watch] [--port-file FILE] [--folder DIR] [PORT...]\n"
           "       varnel-station --help | --version\n"
           "\n"
           "Runs a job (one or more varnel runs) on many printers at once, each printer's runs in varnel\n"
           "processes of their own, in the folder DIR/<port name> (default DIR: station) with its own\n"
           "Varnel.log. In a run, {port} stands for the printer's port and {name} for the port made safe\n"
           "as a file name; file names are taken from the folder the station starts in.\n"
           "\n"
           "  --run \"KEYWORDS\"   one varnel run (repeatable), e.g. --run \"readcfg writefile:{name}.cfg exit\"\n"
           "  --job FILE         runs from FILE, one a line; \"#\" starts a comment\n"
           "  --record FILE      append one line of JSON per printer to FILE\n"
           "  --timeout SECONDS  a printer whose job takes longer is ended and fails as timed out\n"
           "  --jobs N           at most N printers at once (default: all)\n"
           "  --watch            stay open: a printer port that appears gets the job\n"
           "  --port-file FILE   the ports named in FILE (one a line) are printers too; watched with --watch\n"
           "  --folder DIR       the station folder (default: station)\n"
           "\n"
           "Ports: those named; with none named (and no --port-file), the ports that discovery finds.\n"
           "A printer passes when every run ends as it should: a run ending in verify, isfw: or isfwr:\n"
           "with exit code 1, any other run with exit code 0 under --strict.\n"
           "\n"
           "Exit codes: 0 every printer passed, 1 a printer failed (or none was found, or the station was\n"
           "stopped), 2 wrong usage.\n";
}

}  // namespace varnel
