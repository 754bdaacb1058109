#include "ui/QtClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <algorithm>

#include "ui/GuiThread.h"

namespace varnel {

namespace {

// Short enough that a repaint or a status text shows without a visible lag.
constexpr int64_t kSliceMs = 10;

}  // namespace

QtClock::QtClock() { started_.start(); }

void QtClock::Sleep(int64_t ms) {
    const int64_t deadline = NowMs() + std::max<int64_t>(ms, 0);
    // Beside the window (a printer operation's own thread) there are no window events to let through.
    const bool letEventsThrough = OnGuiThread();
    for (;;) {
        if (letEventsThrough && QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const int64_t remaining = deadline - NowMs();
        if (remaining <= 0) return;
        QThread::msleep(static_cast<unsigned long>(std::min(remaining, kSliceMs)));
    }
}

int64_t QtClock::NowMs() const { return started_.elapsed(); }

}  // namespace varnel
