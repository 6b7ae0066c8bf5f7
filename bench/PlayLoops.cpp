#include "bench/PlayLoops.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>

#include "app/frmMain.h"
#include "bench/BenchPlay.h"

namespace bench {

namespace {

// Room left between the lowest point the ball reaches and the paddle's top.
constexpr int kBallClearance = 30;

int64_t NowNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time and task switches, of the process (RUSAGE_SELF) or of the calling thread (RUSAGE_THREAD).
struct Usage {
    int64_t cpuNanos = 0;
    int64_t switches = 0;
};

Usage UsageOf(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return {(int64_t{usage.ru_utime.tv_sec} + usage.ru_stime.tv_sec) * 1'000'000'000 +
                (int64_t{usage.ru_utime.tv_usec} + usage.ru_stime.tv_usec) * 1'000,
            int64_t{usage.ru_nvcsw} + usage.ru_nivcsw};
}

int16_t RestX(const game::GameState& s) {
    return static_cast<int16_t>((game::kLeftWall + game::kRightWall - s.paddleWidth) / 2);
}

bool ArrowHeld(frmMain& window) {
    platform::qt::QtKeyboard& keys = window.Keyboard();
    return ((keys.GetKeyState(platform::vk::Left) | keys.GetKeyState(platform::vk::Right)) &
            platform::kKeyDownBit) != 0;
}

}  // namespace

PacedRun RunPacedLoop(frmMain& window, MeasuredWaits& waits, int64_t frames, FrameWait wait,
                      void (*mark)(const char* edge, FrameWait wait)) {
    game::Game& g = window.Game();
    const FrameWait before = waits.Wait();
    waits.SetWait(wait);
    StartRunningPlay(g);

    PacedRun run;
    run.wait = wait;
    run.starts.reserve(static_cast<std::size_t>(frames + 1));
    run.ticks.reserve(static_cast<std::size_t>(frames + 1));
    if (mark != nullptr) mark("begin", wait);
    const Usage process0 = UsageOf(RUSAGE_SELF), main0 = UsageOf(RUSAGE_THREAD);
    const int64_t wall0 = NowNanos();
    for (int64_t frame = 0; frame <= frames; ++frame) {
        run.starts.push_back(NowNanos());
        SteerUnderBall(g.state, SteerOffset(frame));
        g.state.lives = 3;  // never the game-over box
        const game::FrameEnd end = g.RunFrame();
        run.ticks.push_back(g.locals.frameStart);
        if (end != game::FrameEnd::Continue) {
            if (g.state.quitGame) {
                run.closed = true;
                break;
            }
            RebuildWall(g);
            ++run.wallsRebuilt;
        }
        if (g.locals.paused) {
            g.locals.paused = false;
            ++run.lostBalls;
        }
        if (frame < frames) g.WaitFrame();
    }
    run.wallNanos = NowNanos() - wall0;
    const Usage process = UsageOf(RUSAGE_SELF), main = UsageOf(RUSAGE_THREAD);
    if (mark != nullptr) mark("end", wait);
    run.cpuNanos = process.cpuNanos - process0.cpuNanos;
    run.mainCpuNanos = main.cpuNanos - main0.cpuNanos;
    run.switches = process.switches - process0.switches;
    run.mainSwitches = main.switches - main0.switches;
    waits.SetWait(before);
    return run;
}

QRect StartKeyLatencyPlay(frmMain& window) {
    game::Game& g = window.Game();
    StartRunningPlay(g);
    g.state.paddleX = RestX(g.state);
    const int32_t s = window.Surface().Scale();
    const int32_t top = g.state.paddleY, bottom = g.state.paddleY + g.state.paddleHeight;
    return window.Surface().ImagePlacement().WindowRect(game::kLeftWall * s, top * s, game::kRightWall * s,
                                                        bottom * s);
}

void RunKeyLatencyLoop(frmMain& window, MeasuredWaits& waits, int64_t maxFrames, FrameWait wait) {
    game::Game& g = window.Game();
    game::GameState& s = g.state;
    waits.SetWait(wait);
    for (int64_t frame = 0; frame < maxFrames; ++frame) {
        if (!ArrowHeld(window)) s.paddleX = RestX(s);
        if (s.ballY + s.ballHeight + std::abs(s.ballDY) > s.paddleY - kBallClearance) {
            s.ballDY = static_cast<int16_t>(-std::abs(s.ballDY));
        }
        s.specialCountdown = 1000;  // nothing falls through the paddle's rows
        s.lives = 3;
        g.locals.paused = false;  // a focus loss would stop the paddle too
        if (g.RunFrame() != game::FrameEnd::Continue) {
            if (s.quitGame) break;
            RebuildWall(g);
        }
        g.WaitFrame();
    }
}

}  // namespace bench
