#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ProcessLauncher.h"
#include "app/StationJob.h"
#include "app/StationPrinter.h"

namespace varnel {

class Clock;
class StationObserver;

// What the station runs and where.
struct StationSettings {
    std::vector<StationRun> runs{};       // the job: every printer gets these runs, in order
    std::string program{};                // the varnel program
    std::string folder{};                 // the station folder (absolute): a folder per printer below it
    std::string workingFolder{};          // absolute; file names in the runs are taken from here
    std::string recordPath{};             // the station record; empty for none
    int64_t timeoutMs = 0;              // bounds each printer's job; 0 for no bound
    int jobs = 0;                       // printers running at once; 0 for all
    std::vector<std::string> environment{};  // "NAME=value" entries every run gets
};

// In a printer's folder: the record of its runs, and what they wrote on standard output and error.
inline constexpr const char* kRunRecordFile = "runs.jsonl";
inline constexpr const char* kRunOutputFile = "output.txt";
// How long a run asked to end (a timeout, Stop) has before it is killed.
inline constexpr int64_t kEndGraceMs = 2000;

// A station: many printers, each running the same job in varnel processes of its own, all at
// once or at most `jobs` at a time. Printers come in by port (AddPort: named, discovered or
// plugged in); Poll moves every job on; Stop ends them all. Single-threaded: the caller polls.
class Station {
public:
    Station(StationSettings settings, ProcessLauncher& launcher, Clock& clock);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    void SetObserver(StationObserver* observer) { observer_ = observer; }

    // A printer on `port`. A port the station knows already is left alone, unless it had gone
    // and comes back: a printer plugged in again gets the job again once its last one ended.
    void AddPort(const std::string& port);
    // The port has gone (a printer unplugged): its row says so; a run on it fails by itself.
    void PortGone(const std::string& port);

    // Collects ended runs, starts the next runs and waiting printers, ends runs past the timeout.
    void Poll();
    // Ends every run (SIGTERM, SIGKILL after kEndGraceMs) and fails each printer not done as
    // stopped; waits until none runs.
    void Stop();

    // True while a printer waits or runs.
    bool Busy() const;
    // True when no printer failed.
    bool NoneFailed() const;
    const std::vector<StationPrinter>& Printers() const { return printers_; }
    const StationSettings& Settings() const { return settings_; }
    int64_t NowMs() const;

private:
    struct ActiveRun {
        std::unique_ptr<LaunchedProcess> process;
        uintmax_t recordOffset = 0;  // where this run's record line starts
        bool timedOut = false;
        bool killed = false;
        int64_t endAskedMs = 0;
    };

    std::string UniqueName(const std::string& port) const;
    int Running() const;
    void StartJob(size_t index);
    void StartNextRun(size_t index);
    void FinishRun(size_t index, const ProcessEnd& end);
    void KeepRunRecord(size_t index);
    void EndJob(size_t index, PrinterStatus status, const std::string& error);
    void EnforceTimeout(size_t index);
    void Changed(size_t index);

    StationSettings settings_;
    ProcessLauncher& launcher_;
    Clock& clock_;
    StationObserver* observer_ = nullptr;
    std::vector<StationPrinter> printers_;
    std::vector<ActiveRun> active_;  // one per printer, in the same order
};

}  // namespace varnel
