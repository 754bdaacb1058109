#include "app/RecordOption.h"

#include <filesystem>
#include <system_error>

namespace varnel {
namespace {

constexpr char kValueMark = '=';

std::string FromWorkingFolder(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute.string();
}

}  // namespace

RecordRequest TakeRecordOption(std::vector<std::string>& parameters, const char* environment) {
    RecordRequest request;
    bool given = false;
    std::vector<std::string> kept;
    for (size_t i = 0; i < parameters.size(); ++i) {
        const std::string& parameter = parameters[i];
        std::string path;
        if (parameter == kRecordOption) {
            if (i + 1 < parameters.size()) path = parameters[++i];
        } else if (parameter.size() > kRecordOption.size() && parameter.starts_with(kRecordOption) &&
                   parameter[kRecordOption.size()] == kValueMark) {
            path = parameter.substr(kRecordOption.size() + 1);
        } else {
            kept.push_back(parameter);
            continue;
        }
        given = true;
        request.path = path;
    }
    parameters = std::move(kept);
    if (!given && environment) request.path = environment;
    if (given && request.path.empty())
        request.problem = std::string(kRecordOption) + " needs a file name (" + std::string(kRecordOption) + " FILE)";
    if (!request.path.empty()) request.path = FromWorkingFolder(request.path);
    return request;
}

}  // namespace varnel
