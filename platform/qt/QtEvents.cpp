#include "platform/qt/QtEvents.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <sys/prctl.h>

#include <ctime>

#include "platform/qt/QtSurface.h"

namespace platform::qt {

namespace {

constexpr int64_t kNanosPerMilli = 1'000'000;
// The event loop's timer counts whole milliseconds and its wake-ups come
// late by some fraction of one, and short sleeps wake later still on a
// virtual machine. So the wait sleeps on the timer to a millisecond or so
// before the deadline and polls the events for the rest: frames then start
// within microseconds of their tick.
constexpr int64_t kTimerMargin = 1'000'000;


}  // namespace

QtEvents::QtEvents(QtClock& clock) : clock_(clock) {
    // Sleeps end when asked rather than up to 50 us later.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
}

void QtEvents::DoEvents() {
    if (surface_ != nullptr) surface_->Present();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEvents::WaitEvents(int32_t deadlineTick) {
    if (busy_) return;
    const int64_t remaining = clock_.NanosecondsUntil(deadlineTick);
    if (remaining <= 0) return;
    // After a frame that changed nothing on screen (a paused game) a late
    // end shows nowhere: the timer alone ends the wait, at or after the tick.
    const bool still = surface_ != nullptr && surface_->LastFrameStill();
    if (!still && remaining <= kTimerMargin) return;  // the caller polls the events to the deadline
    // The timer's own event ends the wait within the margin before the
    // deadline (after a still frame: at or after it); any other event ends
    // it sooner.
    const int64_t sleep = still ? remaining : remaining - kTimerMargin;
    wake_.start(static_cast<int>(sleep / kNanosPerMilli + 1));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    wake_.stop();
}

}  // namespace platform::qt
