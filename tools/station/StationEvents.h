#pragma once

#include <ostream>
#include <string>

#include "app/StationObserver.h"

namespace varnel {

// The station as plain lines, one per event, for a log file or CI: a time stamp (UTC), the
// port and what happened ("run 1 of 2: readfile:a.cfg writecfg exit", "passed after 0:04",
// "failed after 0:07: timed out", "gone", "back").
class StationEvents : public StationObserver {
public:
    StationEvents(std::ostream& out, const class Station& station) : out_(out), station_(station) {}

    void PrinterAdded(const StationPrinter& printer) override;
    void PrinterChanged(const StationPrinter& printer) override;
    void PrinterEnded(const StationPrinter& printer) override;
    void StationProblem(const std::string& text) override;

private:
    void Line(const std::string& port, const std::string& text);

    std::ostream& out_;
    const Station& station_;
};

}  // namespace varnel
