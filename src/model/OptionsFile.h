#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "model/ConfigModel.h"

namespace varnel {

class Reporter;

// Reads an options file into `table` (the model's options table) and checks its lock value; with
// `printLock` the value the file should carry is reported as well. Every failure is reported
// before it returns false. A wrong lock value without model.lockOverride clears the table and
// ends the process: it throws ExitRequest{0} after the report.
bool ReadOptionsFile(ConfigModel& model, OptionsTable& table, const std::string& path, bool printLock,
                     Reporter& reporter);

// The same from a stream that is already open; `path` names it in the reports.
bool ReadOptionsStream(ConfigModel& model, OptionsTable& table, std::istream& in, const std::string& path,
                       bool printLock, Reporter& reporter);

// Loads into model.options the first "*.opt" file whose "Model" entry names `modelName` exactly,
// looking in the folders of the model search path in order (the working folder first, its files
// named by their bare names). Within a folder candidates are tried in case-insensitive name order.
bool LocateOptionsFile(ConfigModel& model, std::string_view modelName, Reporter& reporter);
// The same among the files of `directory` alone.
bool LocateOptionsFile(ConfigModel& model, std::string_view modelName, Reporter& reporter,
                       const std::string& directory);

// The lock value of an options table: the weighted sum over every row not named "Setup", reduced.
double ComputeOptionsLockValue(const OptionsTable& table);

}  // namespace varnel
