#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/ForkLauncher.h"
#include "app/PortWatcher.h"
#include "app/Station.h"
#include "base/Clock.h"

namespace varnel {

class CVarnelApp;
class StationObserver;

// What the Station window starts: the runs as the user typed them, the checked ports, the
// record file (empty for none) and whether new printers get the job too.
struct StationDeskStart {
    std::vector<std::string> runTexts;
    std::vector<std::string> ports;
    std::string recordPath;
    bool watch = false;
};

// The station as a window runs it: the real launcher and clock, the station folder below the
// working folder, and while watching the ports discovery finds later. Polled by its owner; the
// station's observer hears everything.
class StationDesk {
public:
    // `program` is the varnel the runs start; `workingFolder` (absolute) holds the job's files
    // and the station folder.
    StationDesk(std::string program, std::string workingFolder);
    ~StationDesk();
    StationDesk(const StationDesk&) = delete;
    StationDesk& operator=(const StationDesk&) = delete;

    // Starts the job on the ports. False with `problem` set when nothing could start (a run
    // that does not split, no run, no port, the models out of reach); a station still at work
    // is stopped first.
    bool Start(const StationDeskStart& start, StationObserver& observer, std::string& problem);
    // A port typed in while the station runs.
    void AddPort(const std::string& port);
    // Moves every job on; while watching, looks for new ports now and then.
    void Poll();
    // Ends every run; watching ends too.
    void Stop();
    // True while a printer waits or runs, or the station watches.
    bool Busy() const;
    // How the station's clock reads now (for the elapsed times).
    int64_t NowMs() const { return clock_.NowMs(); }

private:
    std::string program_;
    std::string workingFolder_;
    SystemClock clock_;
    ForkLauncher launcher_;
    std::unique_ptr<Station> station_;
    std::unique_ptr<PortWatcher> watcher_;
    int64_t lastLookMs_ = 0;
};

// The job the Station window starts with: the configuration file written, then verified.
std::vector<std::string> WriteThenVerifyRuns(const std::string& configFile);

// A job file's runs as lines of the job list; nullopt with `problem` set for a file that cannot
// be read or holds no run.
std::optional<std::vector<std::string>> LoadJobFile(const std::string& path, std::string& problem);
// The runs as a job file, one a line; false with `problem` set when it could not be written.
bool SaveJobFile(const std::string& path, const std::vector<std::string>& runTexts, std::string& problem);

// The text of a printer's log, empty when there is none yet.
std::string ReadPrinterLog(const std::string& logPath);

// The ports the Station window offers: those the port dialog lists, with the main window's port
// among them (added when discovery does not find it); `current` is its position.
struct StationPorts {
    std::vector<std::string> ports;
    int current = -1;
};
StationPorts StationPortList(CVarnelApp& app);

// The varnel program this process runs (the window's own), for the station's runs.
std::string ThisProgramPath();

}  // namespace varnel
