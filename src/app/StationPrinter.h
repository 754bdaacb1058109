#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

enum class PrinterStatus {
    Waiting,  // its job has not started (the station runs at most --jobs printers at once)
    Running,
    Passed,   // every run of the job ended as it should
    Failed,   // a run did not; `error` says how
};

// One printer of the station, as every face of the station shows it.
struct StationPrinter {
    std::string port;
    std::string name;    // the port made safe as a file name
    std::string folder;  // where its runs work and log
    PrinterStatus status = PrinterStatus::Waiting;
    bool present = true;  // false once its port has gone while the station watches
    std::string firmware;  // once a run has read it
    int run = 0;           // the run going on or last done, from 1; 0 before the first
    int runCount = 0;
    std::string action;    // the keywords of the run going on
    int64_t startMs = 0;   // on the station's clock, when its job started
    int64_t endMs = 0;     // when it ended
    std::chrono::system_clock::time_point start;
    std::chrono::system_clock::time_point end;
    std::string error;     // the first error of a failed printer
    std::vector<std::string> runRecords;  // the record line of each run done, as varnel wrote it

    bool Ended() const { return status == PrinterStatus::Passed || status == PrinterStatus::Failed; }
    // Milliseconds its job has taken so far, or took.
    int64_t ElapsedMs(int64_t nowMs) const;
    // The share of its job done, 0 to 1: runs finished of all runs.
    double Progress() const;
    // The log all its runs append to.
    std::string LogPath() const { return folder + "/Varnel.log"; }
};

}  // namespace varnel
