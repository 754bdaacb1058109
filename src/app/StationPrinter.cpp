#include "app/StationPrinter.h"

namespace varnel {

int64_t StationPrinter::ElapsedMs(int64_t nowMs) const {
    switch (status) {
    case PrinterStatus::Waiting:
        return 0;
    case PrinterStatus::Running:
        return nowMs - startMs;
    case PrinterStatus::Passed:
    case PrinterStatus::Failed:
        return endMs - startMs;
    }
    return 0;
}

double StationPrinter::Progress() const {
    if (runCount == 0) return 0;
    if (status == PrinterStatus::Passed) return 1;
    const int done = status == PrinterStatus::Running ? run - 1 : run;
    return static_cast<double>(done > 0 ? done : 0) / runCount;
}

}  // namespace varnel
