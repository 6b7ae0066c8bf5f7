#pragma once
// DoEvents and an idle wait inside Qt's event loop.

#include <QTimer>

#include "platform/Platform.h"
#include "platform/qt/QtClock.h"

namespace platform::qt {

class QtSurface;

class QtEvents final : public EventPump {
public:
    explicit QtEvents(QtClock& clock);
    // Shows what was drawn since the last Refresh (a picture left on screen
    // while the game waits, like the level title), then sends posted events
    // and processes everything pending, then returns.
    void DoEvents() override;
    // Sleeps in the event loop until an event arrives or the clock reaches
    // deadlineTick, whichever comes first, handling what arrives. Long waits
    // sleep on a timer that wakes a millisecond or two early; the last
    // stretch is one precise sleep to the deadline's first nanosecond,
    // because a millisecond timer alone would end frames late.
    void WaitEvents(int32_t deadlineTick) override;

    // The surface whose drawing DoEvents brings on screen; none by default.
    void PresentBeforeEvents(QtSurface* surface) { surface_ = surface; }
    // Measurement only: returns at once from every wait, so the frame loop
    // spins on DoEvents like a busy-wait loop would.
    void SetBusyWait(bool busy) { busy_ = busy; }

private:
    QtClock& clock_;
    QtSurface* surface_ = nullptr;
    QTimer wake_;  // made once; wakes the loop before the deadline
    bool busy_ = false;
};

}  // namespace platform::qt
