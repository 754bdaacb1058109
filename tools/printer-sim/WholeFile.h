#pragma once

#include <string>

namespace varnel::sim {

// The whole file; false with error when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

}  // namespace varnel::sim
