#include "bench/KeyLatencyLoop.h"

#include <cstdlib>

#include "app/frmMain.h"
#include "bench/BenchPlay.h"

namespace bench {

namespace {

// Room left between the lowest point the ball reaches and the paddle's top.
constexpr int kBallClearance = 30;

int16_t RestX(const game::GameState& s) {
    return static_cast<int16_t>((game::kLeftWall + game::kRightWall - s.paddleWidth) / 2);
}

bool ArrowHeld(frmMain& window) {
    platform::qt::QtKeyboard& keys = window.Keyboard();
    return ((keys.GetKeyState(platform::vk::Left) | keys.GetKeyState(platform::vk::Right)) &
            platform::kKeyDownBit) != 0;
}

}  // namespace

PaddleBand StartKeyLatencyPlay(frmMain& window) {
    game::Game& g = window.Game();
    StartRunningPlay(g);
    g.state.paddleX = RestX(g.state);
    return {game::kLeftWall, g.state.paddleY, game::kRightWall - game::kLeftWall, g.state.paddleHeight};
}

int64_t RunKeyLatencyLoop(frmMain& window, int64_t maxFrames, FrameWait wait) {
    game::Game& g = window.Game();
    game::GameState& s = g.state;
    window.Events().SetWait(wait);
    int64_t frames = 0;
    while (frames < maxFrames) {
        if (!ArrowHeld(window)) s.paddleX = RestX(s);
        if (s.ballY + s.ballHeight + std::abs(s.ballDY) > s.paddleY - kBallClearance) {
            s.ballDY = static_cast<int16_t>(-std::abs(s.ballDY));
        }
        s.specialCountdown = 1000;  // nothing falls through the paddle's rows
        s.lives = 3;
        g.locals.paused = false;  // a focus loss would stop the paddle too
        const game::FrameEnd end = g.RunFrame();
        ++frames;
        if (end != game::FrameEnd::Continue) {
            if (s.quitGame) break;
            RebuildWall(g);
        }
        g.WaitFrame();
    }
    return frames;
}

}  // namespace bench
