#include "WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace varnel::sim {

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    bytes = content.str();
    return true;
}

}  // namespace varnel::sim
