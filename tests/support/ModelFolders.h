#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "model/ModelSearchPath.h"
#include "support/ScratchDir.h"

namespace varnel::test {

// Scratch data folders set as XDG_DATA_HOME and XDG_DATA_DIRS (two of them) for the length of a
// scope, with the process's model search path read from them and a scratch working folder
// entered. The environment, the search path and the working folder come back when the guard
// goes.
class ModelFolders {
public:
    ModelFolders()
        : savedHome_(Get("XDG_DATA_HOME")), savedDirs_(Get("XDG_DATA_DIRS")) {
        for (const char* folder : {"work", "home/varnel/models", "share1/varnel/models", "share2/varnel/models"})
            std::filesystem::create_directories(root_.File(folder));
        ::setenv("XDG_DATA_HOME", root_.File("home").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (root_.File("share1") + ":" + root_.File("share2")).c_str(), 1);
        ModelSearchPath::SetCurrent(ModelSearchPath::FromEnvironment());
        std::filesystem::current_path(Work());
    }
    ~ModelFolders() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        Restore("XDG_DATA_HOME", savedHome_);
        Restore("XDG_DATA_DIRS", savedDirs_);
        ModelSearchPath::SetCurrent(savedPath_);
    }
    ModelFolders(const ModelFolders&) = delete;
    ModelFolders& operator=(const ModelFolders&) = delete;

    // The working folder, entered.
    std::string Work() const { return root_.File("work"); }
    // The models folder of XDG_DATA_HOME.
    std::string Home() const { return root_.File("home/varnel/models"); }
    // The models folders of the first and the second of XDG_DATA_DIRS.
    std::string Share1() const { return root_.File("share1/varnel/models"); }
    std::string Share2() const { return root_.File("share2/varnel/models"); }

    // `bytes` as the file `name` in `folder`; returns its path.
    static std::string Put(const std::string& folder, const std::string& name, const std::string& bytes) {
        std::string path = folder + "/" + name;
        WriteFileBytes(path, bytes);
        return path;
    }

private:
    static std::optional<std::string> Get(const char* name) {
        const char* value = ::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

    ScratchDir root_;
    std::filesystem::path previous_ = std::filesystem::current_path();
    std::optional<std::string> savedHome_;
    std::optional<std::string> savedDirs_;
    ModelSearchPath savedPath_ = ModelSearchPath::Current();
};

}  // namespace varnel::test
