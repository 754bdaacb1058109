#include "ui/QtClock.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>

namespace varnel {
namespace {

// Waiting on this clock keeps the event loop going (timers, paints) for at least the time asked.
TEST(QtClockTest, SleepDeliversPendingEventsAndTakesTheTimeAsked) {
    QtClock clock;
    bool timerRan = false;
    QTimer::singleShot(0, [&timerRan] { timerRan = true; });
    const int64_t before = clock.NowMs();
    clock.Sleep(20);
    EXPECT_TRUE(timerRan);
    EXPECT_GE(clock.NowMs() - before, 20);
}

TEST(QtClockTest, AZeroOrNegativeSleepStillPaintsButDoesNotWait) {
    QtClock clock;
    int ran = 0;
    QTimer::singleShot(0, [&ran] { ++ran; });
    clock.Sleep(0);
    clock.Sleep(-5);
    EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace varnel
