#pragma once
// The frame waits the benchmarks measure side by side: the program's own
// sleep and two kept for comparison. A pump put in front of the play window's
// (frmMain's PumpInFront): DoEvents is the window's, WaitEvents the wait chosen.

#include <QTimer>
#include <cstdint>
#include <string_view>

#include "app/frmMain.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEvents.h"
#include "platform/qt/QtSurface.h"

namespace bench {

enum class FrameWait : uint8_t {
    // The program's: the window's own WaitEvents.
    Sleep,
    // The wait before Sleep: sleeps on Qt's millisecond timer to within a
    // millisecond of the deadline and leaves the caller to poll the rest.
    TimerThenPoll,
    // Returns at once, so the frame loop spins on DoEvents like a busy-wait
    // loop would.
    Busy,
};

// The names paced_loop takes and prints: "sleep", "timer-then-poll", "busy".
const char* FrameWaitName(FrameWait wait);
// The wait of that name; false for a name that is none of them.
bool FrameWaitNamed(std::string_view name, FrameWait& wait);

class MeasuredWaits final : public platform::EventPump {
public:
    // surface: the one the window presents, whose still frames let
    // TimerThenPoll sleep to the tick; none in tests.
    MeasuredWaits(platform::qt::QtEvents& events, platform::qt::QtClock& clock,
                  const platform::qt::QtSurface* surface, FrameWait wait);

    void DoEvents() override { events_.DoEvents(); }
    void WaitEvents(int32_t deadlineTick) override;

    void SetWait(FrameWait wait) { wait_ = wait; }
    FrameWait Wait() const { return wait_; }

private:
    void SleepOnQtTimer(int32_t deadlineTick);

    platform::qt::QtEvents& events_;
    platform::qt::QtClock& clock_;
    const platform::qt::QtSurface* surface_;
    FrameWait wait_;
    QTimer wake_;  // made once; TimerThenPoll's wake-up before the deadline
};

// For a play window: measured waits in front of its pump, waiting the given
// way; made, if given, is pointed at them when the window makes them.
frmMain::PumpInFront InFrontOfWindow(FrameWait wait, MeasuredWaits** made = nullptr);

}  // namespace bench
