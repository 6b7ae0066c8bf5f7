#include "bench/PacedLoop.h"

#include <sys/resource.h>

#include <chrono>

#include "app/frmMain.h"
#include "bench/BenchPlay.h"

namespace bench {

namespace {

int64_t NowNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t CpuNanos() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (int64_t{usage.ru_utime.tv_sec} + usage.ru_stime.tv_sec) * 1'000'000'000 +
           (int64_t{usage.ru_utime.tv_usec} + usage.ru_stime.tv_usec) * 1'000;
}

}  // namespace

PacedResult RunPacedLoop(frmMain& window, int64_t frames, FrameWait wait) {
    game::Game& g = window.Game();
    const FrameWait before = window.Events().Wait();
    window.Events().SetWait(wait);
    StartRunningPlay(g);

    PacedResult result;
    result.wait = wait;
    const auto capacity = static_cast<std::size_t>(frames + 1);
    Samples starts(capacity), ticks(capacity), work(capacity);

    const int64_t cpu0 = CpuNanos();
    const int64_t wall0 = NowNanos();
    for (int64_t frame = 0; frame <= frames; ++frame) {
        const int64_t start = NowNanos();
        starts.Add(start);
        SteerUnderBall(g.state, SteerOffset(frame));
        g.state.lives = 3;  // never the game-over box
        const game::FrameEnd end = g.RunFrame();
        ticks.Add(g.locals.frameStart);
        work.Add(NowNanos() - start);
        if (end != game::FrameEnd::Continue) {
            if (g.state.quitGame) {
                result.closed = true;
                break;
            }
            RebuildWall(g);
            ++result.wallsRebuilt;
        }
        if (g.locals.paused) {
            g.locals.paused = false;
            ++result.lostBalls;
        }
        if (frame < frames) g.WaitFrame();
    }
    const int64_t wall1 = NowNanos();
    const int64_t cpu1 = CpuNanos();
    window.Events().SetWait(before);

    const Samples periods = Periods(starts);
    const Samples tickPeriods = Periods(ticks);
    constexpr int64_t kFrameNanos = int64_t{game::kFrameMillis} * 1'000'000;
    result.frames = static_cast<int64_t>(periods.Count());
    result.period = periods.Summarise();
    result.belowTick = tickPeriods.CountBelow(game::kFrameMillis);
    result.belowNanos = periods.CountBelow(kFrameNanos);
    result.overHalfMilli =
        static_cast<int64_t>(periods.Count()) - periods.CountBelow(kFrameNanos + 500'001);
    result.work = work.Summarise();
    result.lateness = Lateness(starts, ticks, game::kFrameMillis).Summarise();
    result.wallSeconds = static_cast<double>(wall1 - wall0) / 1e9;
    result.cpuPercent = 100.0 * static_cast<double>(cpu1 - cpu0) / static_cast<double>(wall1 - wall0);
    return result;
}

}  // namespace bench
