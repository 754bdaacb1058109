#pragma once

#include <string>

#include "PrinterState.h"

namespace varnel::sim {

// The whole printer as a JSON text:
//   { "format": "varnel-printer-sim state", "version": 1, "firmware": "DEMO-1.00",
//     "tables": { "1": "00 00 D8", "7": { "200": 18 } },
//     "texts": { "13": "SN0001" },
//     "files": [ { "name": "logo.bmp", "data": "42 4D ..." } ] }
// A table is either hex bytes from offset 0 or an object of offsets and byte values (handy
// when writing a state by hand). Texts are byte strings ("\u00E9" is the byte E9).
std::string StateToJson(const PrinterState& state);

// Replaces state with what text holds; false with error (state unchanged) when it is not a
// state file.
bool StateFromJson(const std::string& text, PrinterState& state, std::string& error);

}  // namespace varnel::sim
