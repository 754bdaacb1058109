#pragma once

#include <istream>
#include <string>

#include "model/ConfigModel.h"

namespace varnel {

class Reporter;

// Reads a map file into `table` (the model's mapEntries or candidateMapEntries), sets
// model.mapLockValue and checks the file's lock value. With `printLock` the value the file should
// carry is reported as well. Every failure is reported before it returns false.
bool ReadMapFile(ConfigModel& model, MapTable& table, const std::string& path, bool printLock,
                 Reporter& reporter);

// The same from a stream that is already open; `path` names it in the reports.
bool ReadMapStream(ConfigModel& model, MapTable& table, std::istream& in, const std::string& path,
                   bool printLock, Reporter& reporter);

// "map:", "maplock:" and the menu: remembers the path in model.mapFilePath (also when the read
// fails) and reads the file into model.mapEntries.
bool LoadMapFile(ConfigModel& model, const std::string& path, bool printLock, Reporter& reporter);

// Before an exchange with the printer: reads the map file the model names (if any) again into
// model.mapEntries, failing as "map:" fails.
bool ReloadMapFile(ConfigModel& model, Reporter& reporter);

// The lock value of a map table: the weighted sum over every row not named "Setup", reduced.
double ComputeMapLockValue(const MapTable& table);

}  // namespace varnel
