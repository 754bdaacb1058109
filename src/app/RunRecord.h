#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "protocol/VerifyDifference.h"

namespace varnel {

// One command-line action of a run and how it went.
struct RecordedAction {
    std::string action;                   // the keyword without its ":", "file" for a bare path
    std::optional<std::string> argument;  // what the keyword was given, when it takes anything
    bool ok = true;                       // false: it failed, or it reported an error
};

// Everything a production line keeps of one run of the program, for traceability.
struct RunRecord {
    std::chrono::system_clock::time_point start;
    std::chrono::system_clock::time_point end;
    std::string host;
    std::string port;
    std::vector<std::string> parameters;
    std::optional<std::string> firmware;      // the printer's identifier, when the run read it
    std::optional<std::string> serialNumber;  // when the run programmed one and read it back
    std::vector<RecordedAction> actions;
    std::vector<VerifyDifference> differences;
    std::vector<std::string> errors;          // errors and port failures the log kept
    int exitCode = 0;
};

// The record as one line of JSON, ended by "\n". Texts that are not UTF-8 are taken as
// Windows-1252, as the window shows them.
std::string RunRecordLine(const RunRecord& record);

// A moment as UTC ISO 8601 to the second ("2024-05-17T08:30:00Z"), the form jq's fromdate reads.
std::string IsoUtcTime(std::chrono::system_clock::time_point moment);

// This machine's host name; empty when it has none.
std::string HostName();

}  // namespace varnel
