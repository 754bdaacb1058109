#pragma once

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "model/ConfigModel.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"
#include "support/RecordingReporter.h"

namespace varnel::test {

// Description files that the readers accept: the body with the "Setup" line that makes its lock
// value right, computed as the reader computes it. The scratch model is large, so it lives on the
// heap.

inline std::string WithMapLock(const std::string& body) {
    auto scratch = std::make_unique<ConfigModel>();
    RecordingReporter quiet;
    std::istringstream in(body);
    ReadMapStream(*scratch, scratch->mapEntries, in, "scratch.map", false, quiet);
    char setup[64];
    std::snprintf(setup, sizeof setup, "Setup %.2f 0 0\n", ComputeMapLockValue(scratch->mapEntries));
    return body + setup;
}

inline std::string WithOptionsLock(const std::string& body) {
    auto scratch = std::make_unique<ConfigModel>();
    RecordingReporter quiet;
    std::istringstream in(body);
    ReadOptionsStream(*scratch, scratch->options, in, "scratch.opt", false, quiet);
    return body + "Setup Lock " + std::to_string(static_cast<int>(ComputeOptionsLockValue(scratch->options))) + "\n";
}

}  // namespace varnel::test
