#pragma once

#include <QElapsedTimer>

#include "base/Clock.h"

namespace varnel {

// The GUI's clock. Printer operations run synchronously inside a command; while they wait,
// this clock lets Qt deliver paint and other non-input events, so the window repaints, the
// status bar shows progress and the desktop does not mark the window as hung. User input
// stays queued until the command is done.
class QtClock : public Clock {
public:
    QtClock();
    void Sleep(int64_t ms) override;
    int64_t NowMs() const override;

private:
    QElapsedTimer started_;
};

}  // namespace varnel
