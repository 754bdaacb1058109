#pragma once

#include <string>

#include "PrinterEngine.h"
#include "PrinterState.h"
#include "SimOptions.h"

namespace varnel::sim {

// Builds the printer the options describe: its state (from the state file, else from the map
// and configuration files, else zeroes), its firmware and the engine settings. False with
// error when a named file cannot be used.
bool BuildPrinter(const SimOptions& options, PrinterState& state, EngineSettings& settings, std::string& error);

constexpr const char* kDefaultFirmware = "SIM-1.00";

}  // namespace varnel::sim
