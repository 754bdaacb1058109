#pragma once

#include <string>

#include "base/Reporter.h"

namespace varnel::fuzz {

// Reports go nowhere; a fuzz run only looks for crashes and broken invariants.
class NullReporter : public Reporter {
public:
    int ReportError(const std::string&, int, int) override { return 1; }
    int ReportMessage(const std::string&, int, int) override { return 0; }
    int ShowStatus(const std::string&, int, int) override { return 1; }
    void BeginQuietProbing() override {}
    void EndQuietProbing() override {}
};

// Stops the run on a broken invariant, so libFuzzer keeps the input.
inline void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace varnel::fuzz
