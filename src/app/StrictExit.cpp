#include "app/StrictExit.h"

#include <algorithm>

#include "app/CVarnelApp.h"

namespace varnel {

int StrictExitCode(const RunRecord& record) {
    if (record.exitCode != kExitOk) return record.exitCode;
    const bool actionFailed =
        std::any_of(record.actions.begin(), record.actions.end(), [](const RecordedAction& a) { return !a.ok; });
    return actionFailed || !record.errors.empty() ? kExitStrictFailure : kExitOk;
}

}  // namespace varnel
