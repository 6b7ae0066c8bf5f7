#pragma once
// The real frame loop in the real play window: RunFrame, then WaitFrame, as
// PlayStage runs them, with every frame's start taken from a nanosecond
// steady clock and from the game's own tick, and the process's CPU time over
// the run.

#include <cstdint>

#include "bench/Samples.h"
#include "platform/qt/QtEvents.h"

class frmMain;

namespace bench {

// The default sleep, the timer-then-poll wait kept for comparison, and a busy wait.
using platform::qt::FrameWait;

struct PacedResult {
    FrameWait wait = FrameWait::Sleep;
    int64_t frames = 0;
    Summary period;             // ns between frame starts
    int64_t belowTick = 0;      // periods under 22 ms on the game's tick
    int64_t belowNanos = 0;     // periods under 22 ms on the steady clock
    int64_t overHalfMilli = 0;  // periods over 22.5 ms
    Summary work;               // ns from a frame's start to the end of its step 18
    // ns from the moment the game's tick reached a frame's deadline (the last
    // frame's tick + 22) to the frame's start: how late the wait let it go.
    // The tick's origin is taken as the earliest start within its tick.
    Summary lateness;
    double cpuPercent = 0;  // of one core, over the whole run
    double wallSeconds = 0;
    int64_t lostBalls = 0;     // served again and resumed at once
    int64_t wallsRebuilt = 0;  // cleared stages, walls put back without a title
    bool closed = false;       // the window was closed during the run: figures partial
    int64_t motions = 0;       // pointer motions the window received
    int64_t keys = 0;          // key presses the window received
};

// Starts a new game in the window (its level title shows first), then runs
// `frames` frames of running play with the paddle placed under the ball
// through GameState before each frame, waiting the given way.
PacedResult RunPacedLoop(frmMain& window, int64_t frames, FrameWait wait);

}  // namespace bench
