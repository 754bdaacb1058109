#include "StationEvents.h"

#include <chrono>

#include "StationTable.h"
#include "app/RunRecord.h"
#include "app/Station.h"
#include "app/StationPrinter.h"

namespace varnel {

void StationEvents::PrinterAdded(const StationPrinter& printer) {
    Line(printer.port, "added, its runs in " + printer.folder);
}

void StationEvents::PrinterChanged(const StationPrinter& printer) {
    if (!printer.present) return Line(printer.port, "gone");
    if (printer.status != PrinterStatus::Running) return Line(printer.port, "back");
    Line(printer.port, "run " + std::to_string(printer.run) + " of " + std::to_string(printer.runCount) + ": " +
                           printer.action);
}

void StationEvents::PrinterEnded(const StationPrinter& printer) {
    const std::string after = " after " + ElapsedText(printer.ElapsedMs(station_.NowMs()));
    if (printer.status == PrinterStatus::Passed) return Line(printer.port, "passed" + after);
    Line(printer.port, "failed" + after + ": " + printer.error);
}

void StationEvents::StationProblem(const std::string& text) { Line("station", text); }

void StationEvents::Line(const std::string& port, const std::string& text) {
    out_ << IsoUtcTime(std::chrono::system_clock::now()) << ' ' << port << ' ' << text << std::endl;
}

}  // namespace varnel
