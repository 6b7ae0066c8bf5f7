#include "bench/MeasuredWaits.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <memory>

namespace bench {

namespace {

// TimerThenPoll: the event loop's timer counts whole milliseconds and its
// wake-ups come late by some fraction of one, so it sleeps to a millisecond
// before the deadline and the caller polls the events for the rest.
constexpr int64_t kTimerMargin = 1'000'000;

constexpr FrameWait kFrameWaits[] = {FrameWait::Sleep, FrameWait::TimerThenPoll, FrameWait::Busy};

}  // namespace

const char* FrameWaitName(FrameWait wait) {
    switch (wait) {
        case FrameWait::TimerThenPoll:
            return "timer-then-poll";
        case FrameWait::Busy:
            return "busy";
        case FrameWait::Sleep:
            break;
    }
    return "sleep";
}

bool FrameWaitNamed(std::string_view name, FrameWait& wait) {
    for (FrameWait w : kFrameWaits) {
        if (name == FrameWaitName(w)) {
            wait = w;
            return true;
        }
    }
    return false;
}

MeasuredWaits::MeasuredWaits(platform::qt::QtEvents& events, platform::qt::QtClock& clock,
                             const platform::qt::QtSurface* surface, FrameWait wait)
    : events_(events), clock_(clock), surface_(surface), wait_(wait) {
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
}

void MeasuredWaits::WaitEvents(int32_t deadlineTick) {
    switch (wait_) {
        case FrameWait::Sleep:
            events_.WaitEvents(deadlineTick);
            break;
        case FrameWait::TimerThenPoll:
            SleepOnQtTimer(deadlineTick);
            break;
        case FrameWait::Busy:
            break;
    }
}

void MeasuredWaits::SleepOnQtTimer(int32_t deadlineTick) {
    const int64_t remaining = clock_.NanosecondsUntil(deadlineTick);
    if (remaining <= 0) return;
    // After a frame that changed nothing on screen (a paused game) a late
    // end shows nowhere: the timer alone ends the wait, at or after the tick.
    const bool still = surface_ != nullptr && surface_->LastFrameStill();
    if (!still && remaining <= kTimerMargin) return;  // the caller polls the events to the deadline
    const int64_t sleep = still ? remaining : remaining - kTimerMargin;
    wake_.start(static_cast<int>(sleep / platform::qt::kNanosPerMilli + 1));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    wake_.stop();
}

frmMain::PumpInFront InFrontOfWindow(FrameWait wait, MeasuredWaits** made) {
    return [wait, made](platform::qt::QtEvents& events, platform::qt::QtClock& clock,
                        platform::qt::QtSurface& surface) {
        auto waits = std::make_unique<MeasuredWaits>(events, clock, &surface, wait);
        if (made != nullptr) *made = waits.get();
        return waits;
    };
}

}  // namespace bench
