#pragma once

#include <filesystem>
#include <string>

#include "support/TestPaths.h"

namespace varnel::test {

// A temporary copy of the demo model's files, made the working directory for the test's life:
// the options file is found and "Varnel.log" is written there.
class DemoDirectory {
public:
    DemoDirectory() : previous_(std::filesystem::current_path()) {
        for (const auto& entry : std::filesystem::directory_iterator(ExamplesDir()))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), std::filesystem::path(dir_.path()) / entry.path().filename());
        std::filesystem::current_path(dir_.path());
    }
    ~DemoDirectory() { std::filesystem::current_path(previous_); }
    DemoDirectory(const DemoDirectory&) = delete;
    DemoDirectory& operator=(const DemoDirectory&) = delete;

    std::string File(const std::string& name) const { return dir_.File(name); }
    const std::string& path() const { return dir_.path(); }

private:
    std::filesystem::path previous_;
    TempDir dir_;
};

}  // namespace varnel::test
