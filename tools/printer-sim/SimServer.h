#pragma once

#include <string>

#include "Channel.h"
#include "LinePacer.h"
#include "PrinterEngine.h"
#include "TraceLog.h"

namespace varnel::sim {

struct ServerSettings {
    unsigned baud = 0;       // the only rate the printer answers at; 0 for any
    bool lineRate = false;   // pace bytes at the line's rate
    long dropAfterBytes = -1;
    std::string statePath;   // saved on every change when set
    std::string bootImagePath;
};

// The main loop: moves bytes between the channel and the engine, applies the line rules
// (rate, pacing, a dropped line), traces, and saves the state and boot files.
class SimServer {
public:
    SimServer(Channel& channel, PrinterEngine& engine, const PrinterState& state, TraceLog& trace,
              ServerSettings settings);

    // Runs until stopFd becomes readable. Returns 0, or 1 when the channel fails.
    int Run(int stopFd);

    // Saves the state file now (when there is one); false after reporting a failure.
    bool SaveState();

private:
    void Pump(Micros now);
    void ReadInput(Micros now);
    void Deliver(std::string_view bytes, Micros now);
    void Flush(Micros now);
    void HostGone(const std::string& why, Micros now);
    void DropLine(Micros now);
    int PollTimeout(Micros now) const;
    unsigned ExpectedRate() const;
    void UpdatePacing();

    Channel& channel_;
    PrinterEngine& engine_;
    const PrinterState& state_;
    TraceLog& trace_;
    ServerSettings settings_;
    std::string output_;
    LinePacer inputPacer_;
    LinePacer outputPacer_;
    long received_ = 0;
    bool dropped_ = false;
    bool lineDead_ = false;
    unsigned lastSeenRate_ = 0;
    unsigned lastTracedRate_ = 0;
    bool failed_ = false;
};

}  // namespace varnel::sim
