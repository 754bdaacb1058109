#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/StationJob.h"

namespace varnel {

// What varnel-station's command line asks for.
struct StationOptions {
    std::vector<StationRun> runs;   // from --run and --job, in the order given
    std::string recordPath;         // --record
    int64_t timeoutMs = 0;          // --timeout SECONDS; 0 for none
    int jobs = 0;                   // --jobs N; 0 for all at once
    bool watch = false;             // --watch
    std::string portFile;           // --port-file FILE
    std::string folder = "station";  // --folder DIR
    std::vector<std::string> ports;
    bool help = false;
    bool version = false;
};

struct ParsedStationOptions {
    StationOptions options;
    std::string problem;  // set for wrong usage
};

// Reads the command line (without the program's name). A job file named by --job is read here,
// so a missing or wrong one is wrong usage like any other.
ParsedStationOptions ParseStationOptions(const std::vector<std::string>& arguments);

std::string StationUsageText();

}  // namespace varnel
