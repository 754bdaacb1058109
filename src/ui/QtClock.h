#pragma once

#include <QElapsedTimer>

#include "base/Clock.h"

namespace varnel {

// The GUI's clock. On the widgets' thread (the command line's runs before the window, the
// window's own dialogs) it lets Qt deliver paint and other non-input events while it waits, so
// the window repaints and the status bar shows progress; user input stays queued until the
// command is done. A printer operation running beside the window simply sleeps.
class QtClock : public Clock {
public:
    QtClock();
    void Sleep(int64_t ms) override;
    int64_t NowMs() const override;

private:
    QElapsedTimer started_;
};

}  // namespace varnel
