#pragma once

#include <string>
#include <vector>

#include "support/ScratchDir.h"

namespace varnel::test {

// The demo printer model of the examples folder ("RP-DEMO", firmware RPD1-1.01), as the tests
// that run the real programs set it up.

// rpdemo.cfg holds the first line; a configuration that differs from the printer, the second.
inline const char* const kDemoSpeedLine = "Print_Speed           5";
inline const char* const kChangedSpeedLine = "Print_Speed           3";

// The model's description files and its configuration into `folder`: what a production folder holds.
void CopyDemoModel(const std::string& folder);
// A scratch folder holding every file of the examples folder, made the working directory (as a
// user starts the program there) until it goes.
ScratchDir ExamplesWorkingFolder();
// "changed.cfg" in `folder`: the folder's rpdemo.cfg with the changed speed line. False when
// rpdemo.cfg lacks the demo speed line.
bool WriteChangedDemoConfiguration(const std::string& folder);
// The simulator's switches for a printer with the map `map` holding the configuration `cfg`; a
// bare file name is the examples folder's.
std::vector<std::string> DemoPrinterSwitches(const std::string& map = "rpdemo_101.map",
                                             const std::string& cfg = "rpdemo.cfg");

}  // namespace varnel::test
