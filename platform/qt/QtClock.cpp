#include "platform/qt/QtClock.h"

#include <QTime>
#include <algorithm>
#include <limits>

namespace platform::qt {

QtClock::QtClock() { elapsed_.start(); }

int32_t QtClock::GetTickCount() {
    const qint64 ms = elapsed_.elapsed();
    return static_cast<int32_t>(std::min<qint64>(ms, std::numeric_limits<int32_t>::max()));
}

int64_t QtClock::NanosecondsUntil(int32_t tick) const {
    return int64_t{tick} * 1'000'000 - elapsed_.nsecsElapsed();
}

double QtClock::Timer() { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

}  // namespace platform::qt
