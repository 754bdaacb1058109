#pragma once

#include "app/RunRecord.h"

namespace varnel {

inline constexpr int kExitStrictFailure = 4;

// The exit code of a run under --strict: 4 where the run would end with 0 although one of its
// actions failed or an error was reported in it; every other exit code as the run made it.
int StrictExitCode(const RunRecord& record);

}  // namespace varnel
