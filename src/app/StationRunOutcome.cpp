#include "app/StationRunOutcome.h"

#include <nlohmann/json.hpp>

#include "app/StationRunCommand.h"

namespace varnel {
namespace {

constexpr std::string_view kTimedOut = "timed out";

std::string HowItEnded(int number, const ProcessEnd& end) {
    const std::string run = "run " + std::to_string(number);
    if (!end.exited) return run + " ended by signal " + std::to_string(end.signal);
    return run + " ended with exit code " + std::to_string(end.code);
}

}  // namespace

std::optional<std::string> LastRecordLine(const std::string& text) {
    const size_t end = text.rfind('\n');
    if (end == std::string::npos) return std::nullopt;
    const size_t start = end == 0 ? std::string::npos : text.rfind('\n', end - 1);
    const size_t from = start == std::string::npos ? 0 : start + 1;
    if (end <= from) return std::nullopt;
    return text.substr(from, end - from);
}

RunOutcome JudgeRun(int number, const StationRun& run, const ProcessEnd& end, bool timedOut,
                    const std::string& recordText) {
    RunOutcome outcome;
    outcome.recordLine = LastRecordLine(recordText);
    std::string firstError;
    if (outcome.recordLine) {
        const nlohmann::json record = nlohmann::json::parse(*outcome.recordLine, nullptr, false);
        if (record.is_object()) {
            if (record.contains("firmware") && record["firmware"].is_string())
                outcome.firmware = record["firmware"].get<std::string>();
            if (record.contains("errors") && record["errors"].is_array() && !record["errors"].empty() &&
                record["errors"][0].is_string())
                firstError = record["errors"][0].get<std::string>();
        } else {
            outcome.recordLine.reset();
        }
    }
    if (timedOut) {
        outcome.error = kTimedOut;
        return outcome;
    }
    outcome.passed = end.exited && end.code == PassingExitCode(run);
    if (outcome.passed) return outcome;
    outcome.error = HowItEnded(number, end);
    if (!firstError.empty()) outcome.error += ": " + firstError;
    return outcome;
}

}  // namespace varnel
