#pragma once
// DoEvents through Qt's event loop, and the idle wait between them.

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
    // Sleeps until 0.1 ms before deadlineTick, or 25 ms at most, woken by
    // nothing, then handles the events that arrived meanwhile; the caller
    // calls it again until the deadline, polling the last 0.1 ms. A passed
    // deadline returns at once.
    void WaitEvents(int32_t deadlineTick) override;

    // The surface whose drawing DoEvents brings on screen; none by default.
    void PresentBeforeEvents(QtSurface* surface) { surface_ = surface; }

private:
    QtClock& clock_;
    QtSurface* surface_ = nullptr;
};

}  // namespace platform::qt
