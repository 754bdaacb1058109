#pragma once

#include <string>
#include <vector>

#include "app/StationPrinter.h"

namespace varnel {

// The end of a station: how many printers passed and failed, with their ports, and for each
// failed one its first error.
std::string StationSummaryText(const std::vector<StationPrinter>& printers);

}  // namespace varnel
