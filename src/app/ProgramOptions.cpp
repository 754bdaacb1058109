#include "app/ProgramOptions.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace varnel {
namespace {

constexpr char kValueMark = '=';
constexpr std::string_view kStrictOn = "1";

std::string FromWorkingFolder(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute.string();
}

// The value of "--name=VALUE", or nothing when `argument` is not that option with a value.
std::optional<std::string> JoinedValue(std::string_view argument, std::string_view name) {
    if (argument.size() <= name.size() || !argument.starts_with(name) || argument[name.size()] != kValueMark)
        return std::nullopt;
    return std::string(argument.substr(name.size() + 1));
}

}  // namespace

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments, OptionEnvironment environment) {
    ProgramOptions options;
    bool recordGiven = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !argument.starts_with(kEndOfOptions)) {
            options.parameters.push_back(argument);
        } else if (argument == kOpenKeyword) {
            options.parameters.push_back(argument);
            if (i + 1 < arguments.size()) options.parameters.push_back(arguments[++i]);
        } else if (argument == kEndOfOptions) {
            optionsEnded = true;
        } else if (argument == kRecordOption) {
            recordGiven = true;
            options.recordPath = i + 1 < arguments.size() ? arguments[++i] : std::string();
        } else if (std::optional<std::string> path = JoinedValue(argument, kRecordOption)) {
            recordGiven = true;
            options.recordPath = *path;
        } else if (argument == kStrictOption) {
            options.strict = true;
        } else if (argument == kHelpOption) {
            options.help = true;
        } else if (argument == kVersionOption) {
            options.version = true;
        } else if (options.problem.empty()) {
            options.problem = "unknown option \"" + argument + "\" (varnel --help lists the options)";
        }
    }
    if (!recordGiven && environment.record) options.recordPath = environment.record;
    if (environment.strict && environment.strict == kStrictOn) options.strict = true;
    if (recordGiven && options.recordPath.empty() && options.problem.empty())
        options.problem = std::string(kRecordOption) + " needs a file name (" + std::string(kRecordOption) + " FILE)";
    if (!options.recordPath.empty()) options.recordPath = FromWorkingFolder(options.recordPath);
    return options;
}

}  // namespace varnel
