#include "StationSummary.h"

namespace varnel {

std::string StationSummaryText(const std::vector<StationPrinter>& printers) {
    std::string passed;
    std::string failed;
    int passedCount = 0;
    int failedCount = 0;
    for (const StationPrinter& printer : printers) {
        if (printer.status == PrinterStatus::Passed) {
            ++passedCount;
            passed += (passed.empty() ? "" : " ") + printer.port;
        } else if (printer.status == PrinterStatus::Failed) {
            ++failedCount;
            failed += "  " + printer.port + ": " + printer.error + " (log: " + printer.LogPath() + ")\n";
        }
    }
    std::string text = "Passed: " + std::to_string(passedCount) + (passed.empty() ? "" : "  " + passed) + "\n";
    text += "Failed: " + std::to_string(failedCount) + "\n" + failed;
    return text;
}

}  // namespace varnel
