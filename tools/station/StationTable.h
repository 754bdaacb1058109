#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/StationPrinter.h"

namespace varnel {

// The station as a table, a heading and one row per printer: port, firmware, run n of m, the
// action running, elapsed time and the result (passed, or failed with its first error). Every
// line is cut to `width` characters, so a terminal never wraps it.
std::vector<std::string> StationTableLines(const std::vector<StationPrinter>& printers, int64_t nowMs, size_t width);

// Minutes and seconds, "m:ss", or "h:mm:ss" from an hour on.
std::string ElapsedText(int64_t ms);

// A printer's state in words: "waiting", "running", "passed", "failed: <error>", with "(gone)"
// when its port has gone.
std::string ResultText(const StationPrinter& printer);

}  // namespace varnel
