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
    // Sleeps in the event loop until an event arrives or the clock nears
    // deadlineTick, handling what arrives; the caller calls it again until the
    // deadline. The sleep ends a millisecond or so early and the caller polls
    // the events for the rest, so a frame ends on its tick, not up to a
    // millisecond late; after a frame that changed nothing on screen the
    // sleep simply runs to the tick.
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
