#pragma once

#include <string>

namespace varnel::test {

std::string SourceDir();
std::string BinaryDir();
std::string ExamplesDir();
// Paths of the built programs.
std::string VarnelExe();
std::string SimulatorExe();
// A fresh empty directory under the system's temporary folder, removed by the caller's
// TempDir guard.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace varnel::test
