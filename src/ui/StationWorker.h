#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "app/StationDesk.h"
#include "app/StationObserver.h"
#include "app/StationPrinter.h"

class QTimer;

namespace varnel {

// What the station tells the window, on the window's thread.
class StationEvents {
public:
    virtual ~StationEvents() = default;
    virtual void ShowPrinter(const StationPrinter& printer) = 0;
    virtual void ShowProblem(const std::string& text) = 0;
    // Nothing waits or runs any more, and the station does not watch: the job is done or stopped.
    virtual void StationIdle() = 0;
};

// The station at work on a thread of its own, so the window never waits on a run: it polls the
// station, and everything the station tells it goes to the window's thread as a queued call,
// a copy of the printer row with it. Its methods are called on its own thread (Call).
class StationWorker : public QObject, private StationObserver {
    Q_OBJECT
public:
    // `window` receives the events; `events` is its StationEvents.
    StationWorker(std::string program, std::string workingFolder, QObject* window, StationEvents& events);
    ~StationWorker() override;

    // Runs `work` on the worker's thread, after what was asked before.
    void Call(std::function<void(StationWorker&)> work);

    void Start(const StationDeskStart& start);
    void AddPort(const std::string& port);
    void Stop();

private:
    void PrinterAdded(const StationPrinter& printer) override { Post(printer); }
    void PrinterChanged(const StationPrinter& printer) override { Post(printer); }
    void PrinterEnded(const StationPrinter& printer) override { Post(printer); }
    void StationProblem(const std::string& text) override;
    void Post(const StationPrinter& printer);
    void Poll();
    void Idle();

    StationDesk desk_;
    QObject* window_;
    StationEvents& events_;
    QTimer* poll_ = nullptr;
};

}  // namespace varnel
