// varnel-station: one job on many printers at once, each printer's runs in varnel processes of
// their own. The station itself lives in the application layer; this is its terminal face.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "StationEvents.h"
#include "StationOptions.h"
#include "StationSummary.h"
#include "TerminalTable.h"
#include "app/ForkLauncher.h"
#include "app/PortWatcher.h"
#include "app/RunRecordFile.h"
#include "app/Station.h"
#include "app/StationModelReach.h"
#include "app/StationPortSources.h"
#include "base/Clock.h"

namespace {

using namespace varnel;
namespace fs = std::filesystem;

constexpr int kExitPassed = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int64_t kPollMs = 100;
constexpr int64_t kLookMs = 1000;
constexpr const char* kVersion = "varnel-station 2.26.0";
constexpr const char* kProgramVariable = "VARNEL_PROGRAM";
constexpr const char* kProgramName = "varnel";

volatile sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) { stopSignal = signal; }

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the loop's sleep ends at once.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

int UsageError(const std::string& problem) {
    std::cerr << "varnel-station: " << problem << "\n(varnel-station --help lists the options)\n";
    return kExitUsage;
}

// The varnel the runs use: $VARNEL_PROGRAM, else the one installed beside this program, else the
// first on PATH.
std::string VarnelProgram() {
    if (const char* chosen = std::getenv(kProgramVariable); chosen && *chosen) return chosen;
    std::error_code error;
    const fs::path beside = fs::read_symlink("/proc/self/exe", error).parent_path() / kProgramName;
    if (!error && ::access(beside.c_str(), X_OK) == 0) return beside.string();
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const fs::path candidate = fs::path(folders.substr(start, end - start)) / kProgramName;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return kProgramName;
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// Runs the station until every printer is done, or, watching, until a stop signal. True when it
// was stopped while printers were still waiting or running.
bool RunStation(Station& station, std::vector<PortWatcher*> watchers, bool watch, TerminalTable* table,
                Clock& clock) {
    int64_t lookedAt = clock.NowMs();
    while (stopSignal == 0) {
        station.Poll();
        if (watch && clock.NowMs() - lookedAt >= kLookMs) {
            for (PortWatcher* watcher : watchers) watcher->Look();
            lookedAt = clock.NowMs();
        }
        if (!watch && !station.Busy()) return false;
        if (table) table->Refresh();
        clock.Sleep(kPollMs);
    }
    const bool interrupted = station.Busy();
    station.Stop();
    return interrupted;
}

int Main(const std::vector<std::string>& arguments) {
    const ParsedStationOptions parsed = ParseStationOptions(arguments);
    if (!parsed.problem.empty()) return UsageError(parsed.problem);
    const StationOptions& options = parsed.options;
    if (options.help) {
        std::cout << StationUsageText();
        return kExitPassed;
    }
    if (options.version) {
        std::cout << kVersion << '\n';
        return kExitPassed;
    }

    const std::string workingFolder = fs::current_path().string();
    StationSettings settings{.runs = options.runs,
                             .program = VarnelProgram(),
                             .folder = fs::absolute(options.folder).lexically_normal().string(),
                             .workingFolder = workingFolder,
                             .timeoutMs = options.timeoutMs,
                             .jobs = options.jobs};
    std::string problem;
    if (!options.recordPath.empty()) {
        settings.recordPath = fs::absolute(options.recordPath).string();
        // Opened before anything runs: a record that cannot be kept stops the station at once.
        if (!AppendRunRecordLine(settings.recordPath, "", problem))
            return UsageError("the record file " + options.recordPath + " cannot be opened: " + problem);
    }
    std::error_code error;
    fs::create_directories(settings.folder, error);
    if (error) return UsageError("the station folder " + settings.folder + " cannot be made: " + error.message());
    std::optional<std::vector<std::string>> reach =
        StationModelReach(settings.folder, workingFolder, Environment, problem);
    if (!reach) return UsageError("the station folder cannot reach the model files: " + problem);
    settings.environment = *reach;

    CatchStopSignals();
    SystemClock clock;
    ForkLauncher launcher;
    Station station(std::move(settings), launcher, clock);
    const bool onTerminal = ::isatty(STDOUT_FILENO) == 1;
    StationEvents events(std::cout, station);
    std::optional<TerminalTable> table;
    if (onTerminal) table.emplace(std::cout, station, STDOUT_FILENO);
    station.SetObserver(table ? static_cast<StationObserver*>(&*table) : &events);

    for (const std::string& port : options.ports) station.AddPort(port);
    std::vector<std::unique_ptr<PortSource>> fileSource;
    if (!options.portFile.empty()) fileSource.push_back(std::make_unique<PortListFile>(options.portFile));
    PortWatcher fileWatcher(station, std::move(fileSource));
    fileWatcher.Look();
    std::vector<std::unique_ptr<PortSource>> systemSource;
    systemSource.push_back(std::make_unique<DiscoveredPorts>());
    PortWatcher systemWatcher(station, std::move(systemSource));
    // Discovery gives the printers when none are named; named, only those plugged in later join.
    if (options.ports.empty() && options.portFile.empty())
        systemWatcher.Look();
    else if (options.watch)
        systemWatcher.TakeAsSeen();
    if (station.Printers().empty() && !options.watch) {
        std::cerr << "varnel-station: no printer port found; name the ports, or give --port-file or --watch\n";
        return kExitFailed;
    }

    const bool interrupted = RunStation(station, {&fileWatcher, &systemWatcher}, options.watch,
                                        table ? &*table : nullptr, clock);
    if (table) table->Finish();
    std::cout << StationSummaryText(station.Printers());
    if (interrupted) std::cout << "Stopped by signal " << stopSignal << "; the printers not done failed as stopped.\n";
    return !interrupted && station.NoneFailed() ? kExitPassed : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
