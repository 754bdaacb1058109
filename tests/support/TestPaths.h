#pragma once

#include <string>

namespace varnel::test {

std::string SourceDir();
std::string BinaryDir();
std::string ExamplesDir();
// Paths of the built programs.
std::string VarnelExe();
std::string SimulatorExe();
std::string StationExe();

}  // namespace varnel::test
