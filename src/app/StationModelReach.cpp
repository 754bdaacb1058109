#include "app/StationModelReach.h"

#include <filesystem>
#include <system_error>

namespace varnel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLinkBase = ".models";

// The data folder a models folder ("<base>/varnel/models") lies in.
std::string BaseOf(const std::string& modelsFolder) {
    return fs::path(modelsFolder).parent_path().parent_path().string();
}

}  // namespace

std::optional<std::vector<std::string>> StationModelReach(const std::string& stationFolder,
                                                          const std::string& workingFolder,
                                                          const ModelSearchPath::Environment& environment,
                                                          std::string& problem) {
    const fs::path base = fs::path(stationFolder) / kLinkBase;
    const fs::path link = base / kModelsSubfolder;
    std::error_code error;
    fs::create_directories(link.parent_path(), error);
    if (!error && fs::is_symlink(fs::symlink_status(link))) fs::remove(link, error);
    if (!error) fs::create_directory_symlink(workingFolder, link, error);
    if (error) {
        problem = link.string() + ": " + error.message();
        return std::nullopt;
    }
    std::string dataDirs;
    const ModelSearchPath callers = ModelSearchPath::FromEnvironment(environment);
    for (const std::string& folder : callers.DataFolders()) {
        if (!dataDirs.empty()) dataDirs += ':';
        dataDirs += BaseOf(folder);
    }
    return std::vector<std::string>{"XDG_DATA_HOME=" + base.string(), "XDG_DATA_DIRS=" + dataDirs};
}

}  // namespace varnel
