#pragma once
// Milliseconds from a monotonic timer started with the clock, and the time of
// day for the random seed.

#include <QElapsedTimer>

#include "platform/Platform.h"

namespace platform::qt {

class QtClock final : public Clock {
public:
    QtClock();
    // Counts from 0 at construction; it would take 24.8 days to reach the
    // int32 limit, where it stops rather than wrap.
    int32_t GetTickCount() override;
    // Seconds since local midnight, with the milliseconds as fraction.
    double Timer() override;
    // Nanoseconds from now until the tick count reaches tick (negative once
    // it has), so a wait can end on the tick's first nanosecond.
    int64_t NanosecondsUntil(int32_t tick) const;

private:
    QElapsedTimer elapsed_;
};

}  // namespace platform::qt
