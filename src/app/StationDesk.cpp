#include "app/StationDesk.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/CVarnelApp.h"
#include "app/PortChoice.h"
#include "app/StationJob.h"
#include "app/StationModelReach.h"
#include "app/StationPortSources.h"
#include "base/AtomicFile.h"
#include "io/PortDiscovery.h"
#include "io/UdevDeviceSource.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

// Below the working folder: a folder per printer, each with its own log.
constexpr const char* kStationFolder = "station";
// Discovery asks the system's device list; a look every second finds a printer plugged in soon
// enough without keeping the machine busy.
constexpr int64_t kWatchLookMs = 1000;
constexpr const char* kReadFileKeyword = "readfile:";

// The ports discovery lists while the station watches, less those that were there at the start
// and not chosen: only a printer plugged in later gets the job unasked. A port that goes and comes
// back counts as plugged in.
class LaterPorts : public PortSource {
public:
    explicit LaterPorts(const std::vector<std::string>& chosen) : chosen_(chosen.begin(), chosen.end()) {}
    std::vector<std::string> Ports() override {
        std::vector<std::string> now = discovered_.Ports();
        auto listed = [&now](const std::string& port) { return std::find(now.begin(), now.end(), port) != now.end(); };
        if (!first_) first_ = std::set<std::string>(now.begin(), now.end());
        std::erase_if(*first_, [&](const std::string& port) { return !listed(port); });
        std::erase_if(now, [&](const std::string& port) { return first_->contains(port) && !chosen_.contains(port); });
        return now;
    }

private:
    DiscoveredPorts discovered_;
    std::set<std::string> chosen_;
    std::optional<std::set<std::string>> first_;
};

std::optional<std::string> ProcessVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace

StationDesk::StationDesk(std::string program, std::string workingFolder)
    : program_(std::move(program)), workingFolder_(std::move(workingFolder)) {}

StationDesk::~StationDesk() { Stop(); }

bool StationDesk::Start(const StationDeskStart& start, StationObserver& observer, std::string& problem) {
    Stop();
    StationSettings settings;
    for (const std::string& text : start.runTexts) {
        std::optional<StationRun> run = SplitRunText(text, problem);
        if (!run) {
            problem = text + ": " + problem;
            return false;
        }
        settings.runs.push_back(std::move(*run));
    }
    if (settings.runs.empty()) {
        problem = "The job has no run.";
        return false;
    }
    if (start.ports.empty() && !start.watch) {
        problem = "No port is checked.";
        return false;
    }
    settings.program = program_;
    settings.workingFolder = workingFolder_;
    settings.folder = workingFolder_ + "/" + kStationFolder;
    settings.recordPath = start.recordPath;
    std::optional<std::vector<std::string>> environment =
        StationModelReach(settings.folder, workingFolder_, ProcessVariable, problem);
    if (!environment) return false;
    settings.environment = std::move(*environment);

    station_ = std::make_unique<Station>(std::move(settings), launcher_, clock_);
    station_->SetObserver(&observer);
    for (const std::string& port : start.ports) station_->AddPort(port);
    if (start.watch) {
        std::vector<std::unique_ptr<PortSource>> sources;
        sources.push_back(std::make_unique<LaterPorts>(start.ports));
        watcher_ = std::make_unique<PortWatcher>(*station_, std::move(sources));
        watcher_->Look();
        lastLookMs_ = clock_.NowMs();
    }
    station_->Poll();
    return true;
}

void StationDesk::AddPort(const std::string& port) {
    if (station_) station_->AddPort(port);
}

void StationDesk::Poll() {
    if (!station_) return;
    if (watcher_ && clock_.NowMs() - lastLookMs_ >= kWatchLookMs) {
        watcher_->Look();
        lastLookMs_ = clock_.NowMs();
    }
    station_->Poll();
}

void StationDesk::Stop() {
    watcher_.reset();
    if (station_) station_->Stop();
}

bool StationDesk::Busy() const { return station_ && (watcher_ || station_->Busy()); }

std::vector<std::string> WriteThenVerifyRuns(const std::string& configFile) {
    if (configFile.empty()) return {};
    const std::string readFile = kReadFileKeyword + configFile;
    return {RunText({readFile, "writecfg", "exit"}), RunText({readFile, "verify"})};
}

std::optional<std::vector<std::string>> LoadJobFile(const std::string& path, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "Cannot read " + path;
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::optional<std::vector<StationRun>> runs = ReadJobText(text, problem);
    if (!runs) {
        problem = path + ": " + problem;
        return std::nullopt;
    }
    std::vector<std::string> texts;
    for (const StationRun& run : *runs) texts.push_back(RunText(run));
    return texts;
}

bool SaveJobFile(const std::string& path, const std::vector<std::string>& runTexts, std::string& problem) {
    std::string text;
    for (const std::string& run : runTexts) text += run + "\n";
    FileReplacement file(path);
    if (file.IsOpen() && file.Write(text) && file.Commit()) return true;
    problem = "Cannot write " + path + ": " + file.Error().message();
    return false;
}

std::string ReadPrinterLog(const std::string& logPath) {
    std::ifstream in(logPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

StationPorts StationPortList(CVarnelApp& app) {
    const UdevDeviceSource devices;
    const PortChoice choice([&](int position) { return GetPortListEntry(position, devices, app.store()); },
                            app.model().portName, {});
    return StationPorts{choice.Ports(), choice.SelectedIndex()};
}

std::string ThisProgramPath() {
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).string();
}

}  // namespace varnel
