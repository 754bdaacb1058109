#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// Where the files of a printer model (map, options, boot and help files) are looked for: the
// working folder first, then the user's and the system's data folders, so a model installed with
// the program is found from any folder. The first folder that holds a match wins.
class ModelSearchPath {
public:
    // Looks an environment variable up; nullopt when it is not set.
    using Environment = std::function<std::optional<std::string>(const char* name)>;

    // $XDG_DATA_HOME/varnel/models (default ~/.local/share/varnel/models), then varnel/models
    // under each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share). Empty and relative
    // entries are ignored, as the XDG rules say; a folder named twice is searched once.
    static ModelSearchPath FromEnvironment(const Environment& environment);
    // The process's own environment.
    static ModelSearchPath FromEnvironment();

    explicit ModelSearchPath(std::vector<std::string> dataFolders);

    // The data folders in search order, without the working folder.
    const std::vector<std::string>& DataFolders() const { return dataFolders_; }
    // The working folder (".") followed by the data folders.
    std::vector<std::string> Folders() const;

    // The paths of the regular files that match `pattern` ("*.map"), folder by folder in search
    // order and by name within a folder; those of the working folder are bare names.
    std::vector<std::string> MatchingFiles(std::string_view pattern) const;
    // The first of `firstFolder` and the data folders that holds a file `name`: its path.
    std::optional<std::string> FindFile(const std::string& firstFolder, std::string_view name) const;

    // The path of this process, read from the environment at the first use.
    static const ModelSearchPath& Current();
    // Puts a path of the caller's in place (tests); nullopt reads the environment again at the
    // next use.
    static void SetCurrent(std::optional<ModelSearchPath> path);

private:
    std::vector<std::string> dataFolders_;
};

// The folder below a data folder that holds the models.
inline constexpr std::string_view kModelsSubfolder = "varnel/models";

}  // namespace varnel
