#pragma once

#include <string>

namespace varnel {

struct StationPrinter;

// Hears what happens at the station, as it happens: the terminal table, the event lines and the
// window each draw from it. Called from the station's own thread, within Poll, AddPort, PortGone
// and Stop.
class StationObserver {
public:
    virtual ~StationObserver() = default;
    // A printer came in (a row to add).
    virtual void PrinterAdded(const StationPrinter& printer) = 0;
    // A run of its job started; its port went or came back.
    virtual void PrinterChanged(const StationPrinter& printer) = 0;
    // Its job ended: passed or failed.
    virtual void PrinterEnded(const StationPrinter& printer) = 0;
    // Something the station could not do (a folder, a record line, a program that did not start).
    virtual void StationProblem(const std::string& text) = 0;
};

}  // namespace varnel
