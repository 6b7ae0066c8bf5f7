#include "platform/qt/QtEvents.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <ctime>

#include "platform/qt/QtSurface.h"

namespace platform::qt {

namespace {

constexpr int64_t kNanosPerMilli = 1'000'000;
// Below this much time left the millisecond timer is not trusted to wake in
// time; the rest is one precise sleep. Events arriving then wait for it.
constexpr int64_t kFinalStretch = 1'500'000;

void SleepNanos(int64_t nanos) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(nanos / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(nanos % 1'000'000'000);
    while (nanosleep(&ts, &ts) != 0) {
    }
}

}  // namespace

QtEvents::QtEvents(QtClock& clock) : clock_(clock) {
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
    if (remaining <= kFinalStretch) {
        SleepNanos(remaining);
        return;
    }
    // The timer's own event ends the wait a millisecond or so before the
    // deadline; any other event ends it sooner.
    wake_.start(static_cast<int>((remaining - kFinalStretch) / kNanosPerMilli + 1));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    wake_.stop();
}

}  // namespace platform::qt
