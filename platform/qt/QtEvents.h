#pragma once
// DoEvents and an idle wait inside Qt's event loop.

#include <QTimer>

#include "platform/Platform.h"

namespace platform::qt {

class QtEvents final : public EventPump {
public:
    explicit QtEvents(Clock& clock);
    // Sends posted events and processes everything pending, then returns.
    void DoEvents() override;
    // Sleeps in the event loop until an event arrives or the clock reaches
    // deadlineTick, whichever comes first, handling what arrives.
    void WaitEvents(int32_t deadlineTick) override;

private:
    Clock& clock_;
    QTimer wake_;  // made once; wakes the loop at the deadline
};

}  // namespace platform::qt
