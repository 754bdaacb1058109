#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FaultPlan.h"

namespace varnel::sim {

struct TextPreset {
    int table = 0;
    std::string text;
};

// Everything the command line says.
struct SimOptions {
    bool help = false;
    bool version = false;

    bool usePty = false;
    std::string tcpHost;  // set with tcpPort when --tcp is given
    int tcpPort = -1;

    unsigned baud = 0;  // 0: any rate
    bool lineRate = false;

    std::optional<std::string> firmware;
    std::string mapPath;
    std::string cfgPath;
    std::string statePath;
    std::string tracePath;
    std::vector<TextPreset> texts;

    bool boot = false;
    std::string bootImagePath;
    std::optional<std::string> bootLoaderRevision;
    std::optional<std::string> flashId;
    std::string flashedFirmware;

    FaultPlan faults;
};

struct ParsedOptions {
    std::optional<SimOptions> options;
    std::string error;  // set when options is empty
};

ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace varnel::sim
