#include "platform/qt/QtEvents.h"

#include <sys/prctl.h>
#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <ctime>

#include "platform/qt/QtSurface.h"

namespace platform::qt {

namespace {

constexpr int64_t kNanosPerSecond = 1'000'000'000;
// A sleep's wake-up takes some 60 us to reach the process on a virtual
// machine. So the sleep ends that much before the deadline and the caller
// polls what is left, mostly a few microseconds: frames then start within
// microseconds of their tick, for little CPU.
constexpr int64_t kWakeMargin = 100'000;
// Longer than a frame (22 ms), so a frame's wait is one sleep; a longer wait
// (the level title's two seconds) still has its events handled 40 times a second.
constexpr int64_t kLongestSleep = 25'000'000;

int64_t MonotonicNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * kNanosPerSecond + now.tv_nsec;
}

}  // namespace

QtEvents::QtEvents(QtClock& clock) : clock_(clock) {
    // Sleeps end when asked rather than up to 50 us later.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

void QtEvents::DoEvents() {
    if (surface_ != nullptr) surface_->Present();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEvents::WaitEvents(int32_t deadlineTick) {
    // The time left is read before the monotonic clock, so the sleep ends a
    // few nanoseconds later than meant, never earlier.
    const int64_t remaining = clock_.NanosecondsUntil(deadlineTick);
    if (remaining <= kWakeMargin) return;  // the caller polls the events to the deadline
    const int64_t now = MonotonicNanos();
    const int64_t until = now + std::min(remaining - kWakeMargin, kLongestSleep);
    // Not in the event loop: a key, a pointer motion or a compositor's answer
    // that arrives meanwhile does not wake the game; all that came is handled
    // together after the sleep, one wake-up a frame however much the player
    // does. Handled here rather than left to the caller's next DoEvents: a
    // wake-up later than the margin ends the frame's wait without one.
    const timespec at{static_cast<time_t>(until / kNanosPerSecond),
                      static_cast<long>(until % kNanosPerSecond)};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);  // a signal only ends it early
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace platform::qt
