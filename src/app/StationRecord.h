#pragma once

#include <string>

#include "app/StationPrinter.h"

namespace varnel {

// A printer's station record as one line of JSON ended by "\n": port, passed, start and end
// (UTC, as the run records have them), the error that failed it (null when it passed) and the
// records of its runs, in order.
std::string StationRecordLine(const StationPrinter& printer);

}  // namespace varnel
