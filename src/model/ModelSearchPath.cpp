#include "model/ModelSearchPath.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "model/DirectorySearch.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultDataDirs = "/usr/local/share:/usr/share";
constexpr const char* kDataHomeBelowHome = ".local/share";
constexpr std::string_view kWorkingFolder = ".";

std::optional<ModelSearchPath>& Installed() {
    static std::optional<ModelSearchPath> path;
    return path;
}

std::string NonEmpty(const ModelSearchPath::Environment& environment, const char* name) {
    std::optional<std::string> value = environment(name);
    return value ? *value : std::string();
}

std::string HomeFolder(const ModelSearchPath::Environment& environment) {
    std::string home = NonEmpty(environment, "HOME");
    if (home.empty())
        if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir;
    return home;
}

// An XDG folder list: its absolute entries; the rules say relative ones are to be ignored.
std::vector<std::string> AbsoluteEntries(const std::string& list) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string entry = list.substr(start, end - start);
        if (!entry.empty() && entry.front() == '/') entries.push_back(std::move(entry));
        start = end + 1;
    }
    return entries;
}

std::string ModelsBelow(const std::string& dataFolder) {
    return (fs::path(dataFolder) / kModelsSubfolder).lexically_normal().string();
}

}  // namespace

ModelSearchPath::ModelSearchPath(std::vector<std::string> dataFolders) : dataFolders_(std::move(dataFolders)) {}

ModelSearchPath ModelSearchPath::FromEnvironment(const Environment& environment) {
    std::vector<std::string> bases;
    std::string dataHome = NonEmpty(environment, "XDG_DATA_HOME");
    if (dataHome.empty() || dataHome.front() != '/') {
        const std::string home = HomeFolder(environment);
        dataHome = home.empty() ? std::string() : (fs::path(home) / kDataHomeBelowHome).string();
    }
    if (!dataHome.empty()) bases.push_back(dataHome);
    std::string dataDirs = NonEmpty(environment, "XDG_DATA_DIRS");
    if (dataDirs.empty()) dataDirs = kDefaultDataDirs;
    for (std::string& entry : AbsoluteEntries(dataDirs)) bases.push_back(std::move(entry));

    std::vector<std::string> folders;
    for (const std::string& base : bases) {
        std::string folder = ModelsBelow(base);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(std::move(folder));
    }
    return ModelSearchPath(std::move(folders));
}

ModelSearchPath ModelSearchPath::FromEnvironment() {
    return FromEnvironment([](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (!value) return std::nullopt;
        return std::string(value);
    });
}

std::vector<std::string> ModelSearchPath::Folders() const {
    std::vector<std::string> folders{std::string(kWorkingFolder)};
    folders.insert(folders.end(), dataFolders_.begin(), dataFolders_.end());
    return folders;
}

std::vector<std::string> ModelSearchPath::MatchingFiles(std::string_view pattern) const {
    std::vector<std::string> paths;
    for (const std::string& folder : Folders()) {
        std::vector<std::string> found = ListMatchingPaths(folder, pattern);
        paths.insert(paths.end(), found.begin(), found.end());
    }
    return paths;
}

std::optional<std::string> ModelSearchPath::FindFile(const std::string& firstFolder, std::string_view name) const {
    std::vector<std::string> folders{firstFolder};
    folders.insert(folders.end(), dataFolders_.begin(), dataFolders_.end());
    for (const std::string& folder : folders) {
        const fs::path path = fs::path(folder) / name;
        std::error_code error;
        if (fs::is_regular_file(path, error)) return path.string();
    }
    return std::nullopt;
}

const ModelSearchPath& ModelSearchPath::Current() {
    std::optional<ModelSearchPath>& path = Installed();
    if (!path) path = FromEnvironment();
    return *path;
}

void ModelSearchPath::SetCurrent(std::optional<ModelSearchPath> path) { Installed() = std::move(path); }

}  // namespace varnel
