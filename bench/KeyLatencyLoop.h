#pragma once
// Running play for the key-to-screen measurement (bench/latency.py): the
// real frame loop in the real play window, with nothing but a key able to
// change the paddle's rows on screen.

#include <cstdint>

#include "bench/PacedLoop.h"

class frmMain;

namespace bench {

// The rows the paddle occupies, across the play area, in window pixels.
struct PaddleBand {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Starts running play with the paddle at rest in the middle of the field and
// returns its band.
PaddleBand StartKeyLatencyPlay(frmMain& window);

// Runs frames until Q (or a close request) ends the game or maxFrames have
// run; returns the frames run. While no arrow key is held the paddle is put
// back at rest before the frame; the ball is turned back well above the
// paddle and no bonus item falls, so the band changes only when a key moved
// the paddle.
int64_t RunKeyLatencyLoop(frmMain& window, int64_t maxFrames, FrameWait wait);

}  // namespace bench
