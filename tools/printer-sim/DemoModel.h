#pragma once

#include <string>
#include <vector>

#include "PrinterMemory.h"

namespace varnel::sim {

struct DemoModelReport {
    int placed = 0;                  // settings written into the tables
    std::vector<std::string> notes;  // settings that could not be placed, and why
    std::string firmware;            // the map's "Firmware" entry, empty when it has none
};

// Fills memory from a map file's text and a configuration file's text as if a host had
// written that configuration into the printer: numeric settings into their bits (16-bit
// fields big-endian), text settings as the text of their table. Either text may be empty.
DemoModelReport LoadDemoModel(const std::string& mapText, const std::string& configText, PrinterMemory& memory);

}  // namespace varnel::sim
