#pragma once
// DoEvents and an idle wait inside Qt's event loop.

#include <QSocketNotifier>
#include <memory>

#include "platform/Platform.h"
#include "platform/qt/QtClock.h"

namespace platform::qt {

class QtSurface;

class QtEvents final : public EventPump {
public:
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
    // until the deadline. A passed deadline returns at once. The sleep ends on
    // a kernel timer (timerfd) set to 0.1 ms before the deadline, the caller
    // polling what is left; without one (none could be made) it returns at
    // once and the caller polls to the deadline.
    void WaitEvents(int32_t deadlineTick) override;

    // The surface whose drawing DoEvents brings on screen; none by default.
    void PresentBeforeEvents(QtSurface* surface) { surface_ = surface; }

private:
    QtClock& clock_;
    QtSurface* surface_ = nullptr;
    int deadlineFd_ = -1;  // timerfd on CLOCK_MONOTONIC, armed with the deadline
    std::unique_ptr<QSocketNotifier> deadlineNotifier_;  // the timer in the loop's poll set
};

}  // namespace platform::qt
