#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

// Header-only, so that the fuzz targets and the benchmarks, which do not link the test support
// library, use the same folder as the tests.

namespace varnel::test {

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A fresh empty folder under the system's temporary folder (TMPDIR), removed with everything in
// it when the guard goes. Entered, it is the working directory until then.
class ScratchDir {
public:
    ScratchDir() : ScratchDir(std::filesystem::temp_directory_path().string()) {}
    // A folder under `base` instead, e.g. a file system held in memory.
    explicit ScratchDir(const std::string& base) {
        std::string pattern = base + "/varnel-test-XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed under " + base);
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (previous_) std::filesystem::current_path(*previous_, ignored);
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    // Moved, the folder belongs to the new guard alone.
    ScratchDir(ScratchDir&& other) noexcept
        : path_(std::exchange(other.path_, {})), previous_(std::exchange(other.previous_, std::nullopt)) {}
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ScratchDir& operator=(ScratchDir&&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    // `bytes` as the file `name` in the folder; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        WriteFileBytes(File(name), bytes);
        return File(name);
    }
    std::string Read(const std::string& name) const { return ReadFileBytes(File(name)); }
    // A copy of the file at `source` in the folder, under the same name; returns its path.
    std::string CopyIn(const std::string& source) const {
        const std::string target = File(std::filesystem::path(source).filename().string());
        std::filesystem::copy_file(source, target);
        return target;
    }

    // Makes the folder the working directory; the previous one comes back when the guard goes.
    void Enter() {
        if (!previous_) previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }

private:
    std::string path_;
    std::optional<std::filesystem::path> previous_;
};

}  // namespace varnel::test
