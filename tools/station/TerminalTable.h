#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/StationObserver.h"

namespace varnel {

class Station;

// The station's table on a terminal, redrawn in place: each drawing moves the cursor back over
// the lines the last one wrote. Problems are kept and written out under the table at the end.
class TerminalTable : public StationObserver {
public:
    TerminalTable(std::ostream& out, const Station& station, int terminalFd);

    void PrinterAdded(const StationPrinter&) override { changed_ = true; }
    void PrinterChanged(const StationPrinter&) override { changed_ = true; }
    void PrinterEnded(const StationPrinter&) override { changed_ = true; }
    void StationProblem(const std::string& text) override;

    // Draws the table when something changed or the elapsed times moved on a second.
    void Refresh();
    // Draws it a last time, then the problems met.
    void Finish();

private:
    void Draw();

    std::ostream& out_;
    const Station& station_;
    int terminalFd_;
    bool changed_ = true;
    int64_t drawnAtMs_ = 0;
    size_t linesDrawn_ = 0;
    std::vector<std::string> problems_;
};

}  // namespace varnel
