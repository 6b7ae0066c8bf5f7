#include "platform/qt/QtClock.h"

#include <QTime>

namespace platform::qt {

QtClock::QtClock(int32_t startTick)
    : startNanos_(int64_t{static_cast<uint32_t>(startTick)} * kNanosPerMilli) {
    elapsed_.start();
}

int64_t QtClock::NanosecondsSinceTickZero() const {
    return startNanos_ + elapsed_.nsecsElapsed();
}

int32_t QtClock::GetTickCount() {
    // The low 32 bits of the milliseconds: the count wraps instead of stopping.
    return static_cast<int32_t>(static_cast<uint32_t>(NanosecondsSinceTickZero() / kNanosPerMilli));
}

int64_t QtClock::NanosecondsUntil(int32_t tick) const {
    const int64_t nanos = NanosecondsSinceTickZero();
    const auto now = static_cast<int32_t>(static_cast<uint32_t>(nanos / kNanosPerMilli));
    return int64_t{TicksUntil(now, tick)} * kNanosPerMilli - nanos % kNanosPerMilli;
}

double QtClock::Timer() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

}  // namespace platform::qt
