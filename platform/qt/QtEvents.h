#pragma once
// DoEvents and an idle wait inside Qt's event loop.

#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <string_view>

#include "platform/Platform.h"
#include "platform/qt/QtClock.h"

namespace platform::qt {

class QtSurface;

// How WaitEvents waits for the frame's deadline.
enum class FrameWait : uint8_t {
    // Sleeps in the event loop on a kernel timer (timerfd) set to 0.1 ms
    // before the deadline, the caller polling what is left: the default.
    Sleep,
    // Kept for measurement (the wait before Sleep): sleeps on Qt's
    // millisecond timer to within a millisecond of the deadline and leaves the
    // caller to poll the events for the rest.
    TimerThenPoll,
    // Measurement only: returns at once, so the frame loop spins on DoEvents
    // like a busy-wait loop would.
    Busy,
};

// The names TILEBASH_FRAME_WAIT takes and the benchmarks print: "sleep",
// "timer-then-poll", "busy".
const char* FrameWaitName(FrameWait wait);
// The wait of that name; false for a name that is none of them.
bool FrameWaitNamed(std::string_view name, FrameWait& wait);

class QtEvents final : public EventPump {
public:
    // The wait is Sleep unless TILEBASH_FRAME_WAIT names another
    // ("timer-then-poll", "busy"), which only the benchmarks set.
    explicit QtEvents(QtClock& clock);
    ~QtEvents() override;
    QtEvents(const QtEvents&) = delete;
    QtEvents& operator=(const QtEvents&) = delete;

    // Shows what was drawn since the last Refresh (a picture left on screen
    // while the game waits, like the level title), then sends posted events
    // and processes everything pending, then returns.
    void DoEvents() override;
    // Sleeps in the event loop until an event arrives or the tick count
    // reaches deadlineTick, handling what arrives; the caller calls it again
    // until the deadline. A passed deadline returns at once.
    void WaitEvents(int32_t deadlineTick) override;

    // The surface whose drawing DoEvents brings on screen; none by default.
    void PresentBeforeEvents(QtSurface* surface) { surface_ = surface; }
    // Measurement: the benchmarks run the waits side by side.
    void SetWait(FrameWait wait) { wait_ = wait; }
    FrameWait Wait() const { return wait_; }

private:
    void SleepToDeadline(int32_t deadlineTick);
    void SleepOnQtTimer(int32_t deadlineTick);

    QtClock& clock_;
    QtSurface* surface_ = nullptr;
    FrameWait wait_ = FrameWait::Sleep;
    QTimer wake_;          // made once; TimerThenPoll's wake-up before the deadline
    int deadlineFd_ = -1;  // timerfd on CLOCK_MONOTONIC, armed with the deadline
    std::unique_ptr<QSocketNotifier> deadlineNotifier_;  // the timer in the loop's poll set
};

}  // namespace platform::qt
