#include "app/StationRunCommand.h"

#include <algorithm>
#include <array>

#include "app/CommandLine.h"

namespace varnel {
namespace {

constexpr int kEndsPassed = 1;
constexpr int kEndsNormally = 0;

// Keywords whose argument is a file the user names.
constexpr std::array<std::string_view, 5> kFileKeywords{"writefile:", "readfile:", "map:", "maplock:", "optslock:"};
constexpr std::array<std::string_view, 3> kEndingKeywords{"verify", "isfw:", "isfwr:"};

bool IsSwitchMark(char c) { return c == '-' || c == '/'; }

// The parameter as the dispatcher compares it: one leading "-" or "/" removed.
std::string_view Unmarked(std::string_view parameter) {
    if (!parameter.empty() && IsSwitchMark(parameter.front())) parameter.remove_prefix(1);
    return parameter;
}

void ReplaceAll(std::string& text, std::string_view placeholder, const std::string& value) {
    for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

std::string FromFolder(const std::string& folder, const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    return folder + "/" + path;
}

std::string WithFileFromFolder(const std::string& parameter, const std::string& folder) {
    const std::string_view keyword = MatchedKeyword(Unmarked(parameter));
    // A bare path: "/x.cfg" is absolute already; a "-" in front would be taken off by varnel.
    if (keyword.empty()) return IsSwitchMark(parameter.front()) ? parameter : FromFolder(folder, parameter);
    if (std::find(kFileKeywords.begin(), kFileKeywords.end(), keyword) == kFileKeywords.end()) return parameter;
    const size_t argumentAt = parameter.size() - Unmarked(parameter).size() + keyword.size();
    return parameter.substr(0, argumentAt) + FromFolder(folder, parameter.substr(argumentAt));
}

}  // namespace

StationRun PrinterRun(const StationRun& run, const std::string& port, const std::string& name,
                      const std::string& workingFolder) {
    StationRun result;
    for (std::string parameter : run) {
        ReplaceAll(parameter, kPortPlaceholder, port);
        ReplaceAll(parameter, kNamePlaceholder, name);
        if (!parameter.empty()) parameter = WithFileFromFolder(parameter, workingFolder);
        result.push_back(std::move(parameter));
    }
    return result;
}

int PassingExitCode(const StationRun& run) {
    for (const std::string& parameter : run) {
        const std::string_view keyword = MatchedKeyword(Unmarked(parameter));
        if (std::find(kEndingKeywords.begin(), kEndingKeywords.end(), keyword) != kEndingKeywords.end())
            return kEndsPassed;
    }
    return kEndsNormally;
}

}  // namespace varnel
