#pragma once
// The two loops paced_loop runs in the real play window: RunFrame, then
// WaitFrame, as PlayStage runs them. The paced loop records every frame's
// start for bench/paced.py to summarise; the key-latency loop keeps the
// paddle at rest so that only a key bench/latency.py presses moves it.

#include <QRect>
#include <cstdint>
#include <vector>

#include "bench/MeasuredWaits.h"

class frmMain;

namespace bench {

struct PacedRun {
    FrameWait wait = FrameWait::Sleep;
    std::vector<int64_t> starts;  // each frame's start, steady clock ns
    std::vector<int64_t> ticks;   // the game's millisecond tick at that start
    int64_t cpuNanos = 0;         // the process's CPU time over the run
    int64_t mainCpuNanos = 0;     // of which the main thread's, the rest the toolkit's threads'
    int64_t switches = 0;         // task switches of all the process's threads over the run
    int64_t mainSwitches = 0;     // of which the main thread's
    int64_t wallNanos = 0;
    int64_t lostBalls = 0;     // served again and resumed at once
    int64_t wallsRebuilt = 0;  // cleared stages, walls put back without a title
    bool closed = false;       // the window was closed during the run: figures partial
    int64_t motions = 0;       // pointer motions the window received (counted by the caller)
    int64_t keys = 0;          // key presses the window received
};

// Starts a new game in the window, then runs `frames` frames of running play
// with the paddle placed under the ball through GameState before each frame,
// waiting the given way through waits, the pump in front of the window's.
// The samples' space is taken before the first frame.
// mark, if given, is called just before the first frame and just after the
// last, so that a caller can time the display server over the same span.
PacedRun RunPacedLoop(frmMain& window, MeasuredWaits& waits, int64_t frames, FrameWait wait,
                      void (*mark)(const char* edge, FrameWait wait) = nullptr);

// Starts running play with the paddle at rest in the middle of the field and
// returns the rows it occupies, across the play area, in window units where
// the window shows them (in full screen at an offset and a scale).
QRect StartKeyLatencyPlay(frmMain& window);

// Runs frames until Q (or a close request) ends the game or maxFrames have
// run. While no arrow key is held the paddle is put back at rest before the
// frame; the ball is turned back well above the paddle and no bonus item
// falls, so the band changes only when a key moved the paddle.
void RunKeyLatencyLoop(frmMain& window, MeasuredWaits& waits, int64_t maxFrames, FrameWait wait);

}  // namespace bench
