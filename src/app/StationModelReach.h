#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/ModelSearchPath.h"

namespace varnel {

// The station's runs work in folders of their own, yet must find map, options and boot files as
// a run in `workingFolder` would: there first, then in the data folders of `environment`. A link
// "<stationFolder>/.models/varnel/models" to the working folder is made the first data folder of
// the runs, the caller's data folders following. Returns the environment entries ("NAME=value")
// to give the runs; nullopt with `problem` set when the link cannot be made.
std::optional<std::vector<std::string>> StationModelReach(const std::string& stationFolder,
                                                          const std::string& workingFolder,
                                                          const ModelSearchPath::Environment& environment,
                                                          std::string& problem);

}  // namespace varnel
