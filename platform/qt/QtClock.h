#pragma once
// Milliseconds from a monotonic timer started with the clock, and the time of
// day for the random seed.

#include <QElapsedTimer>

#include "platform/Platform.h"

namespace platform::qt {

// The clock keeps nanoseconds; its ticks are milliseconds.
inline constexpr int64_t kNanosPerMilli = 1'000'000;

class QtClock final : public Clock {
public:
    // Counts from startTick at construction (0 but in tests) and wraps as a
    // 32-bit millisecond count does.
    explicit QtClock(int32_t startTick = 0);
    int32_t GetTickCount() override;
    // Seconds since local midnight, with the milliseconds as fraction.
    double Timer() override;
    // Nanoseconds from now until the tick count reaches tick (negative once
    // it has), so a wait can end on the tick's first nanosecond.
    int64_t NanosecondsUntil(int32_t tick) const;

private:
    QElapsedTimer elapsed_;
    int64_t startNanos_ = 0;
    int64_t NanosecondsSinceTickZero() const;
};

}  // namespace platform::qt
