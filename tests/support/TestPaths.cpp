#include "support/TestPaths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace varnel::test {

std::string SourceDir() { return VARNEL_SOURCE_DIR; }
std::string BinaryDir() { return VARNEL_BINARY_DIR; }
std::string ExamplesDir() { return SourceDir() + "/examples"; }
std::string VarnelExe() { return BinaryDir() + "/src/ui/varnel"; }
std::string SimulatorExe() { return BinaryDir() + "/tools/printer-sim/varnel-printer-sim"; }

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace varnel::test
