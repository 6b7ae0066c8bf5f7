#include "platform/qt/QtEvents.h"

#include <sys/prctl.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QEventLoop>

#include <ctime>

#include "platform/qt/QtSurface.h"

namespace platform::qt {

namespace {

constexpr int64_t kNanosPerSecond = 1'000'000'000;
// A kernel timer's wake-up reaches the loop some 70 to 90 us after it
// expires on a virtual machine. So the timer is set that much before the
// deadline and the caller polls what is left, mostly a few microseconds:
// frames then start within microseconds of their tick, for little CPU.
constexpr int64_t kWakeMargin = 100'000;

int64_t MonotonicNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * kNanosPerSecond + now.tv_nsec;
}

}  // namespace

QtEvents::QtEvents(QtClock& clock) : clock_(clock) {
    // Sleeps end when asked rather than up to 50 us later.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    deadlineFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (deadlineFd_ < 0) return;  // WaitEvents leaves the caller to poll
    deadlineNotifier_ = std::make_unique<QSocketNotifier>(deadlineFd_, QSocketNotifier::Read);
    // Reading the expiry count empties the descriptor; otherwise the loop
    // would see it ready again at once.
    QObject::connect(deadlineNotifier_.get(), &QSocketNotifier::activated, [fd = deadlineFd_] {
        uint64_t expiries = 0;
        [[maybe_unused]] const ssize_t got = read(fd, &expiries, sizeof expiries);
    });
}

QtEvents::~QtEvents() {
    deadlineNotifier_.reset();
    if (deadlineFd_ >= 0) close(deadlineFd_);
}

void QtEvents::DoEvents() {
    if (surface_ != nullptr) surface_->Present();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEvents::WaitEvents(int32_t deadlineTick) {
    // The time left is read before the monotonic clock, so the timer lies a
    // few nanoseconds later than meant, never earlier.
    const int64_t remaining = clock_.NanosecondsUntil(deadlineTick);
    if (remaining <= kWakeMargin || deadlineFd_ < 0) return;  // the caller polls the events to the deadline
    const int64_t at = MonotonicNanos() + remaining - kWakeMargin;
    itimerspec wake{};
    wake.it_value.tv_sec = static_cast<time_t>(at / kNanosPerSecond);
    wake.it_value.tv_nsec = static_cast<long>(at % kNanosPerSecond);
    if (timerfd_settime(deadlineFd_, TFD_TIMER_ABSTIME, &wake, nullptr) != 0) return;  // the caller polls
    // Ends for the timer or for any window event (a key, the close request,
    // a focus loss), which is handled here.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace platform::qt
