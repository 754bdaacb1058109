#include "support/TestPaths.h"

namespace varnel::test {

std::string SourceDir() { return VARNEL_SOURCE_DIR; }
std::string BinaryDir() { return VARNEL_BINARY_DIR; }
std::string ExamplesDir() { return SourceDir() + "/examples"; }
std::string VarnelExe() { return BinaryDir() + "/src/ui/varnel"; }
std::string StationExe() { return BinaryDir() + "/src/ui/varnel-station"; }
std::string SimulatorExe() { return BinaryDir() + "/tools/printer-sim/varnel-printer-sim"; }

}  // namespace varnel::test
