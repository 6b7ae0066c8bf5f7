// Drawing one frame (step 18: Cls to Refresh) into the off-screen Qt image,
// the ball and paddle moved between frames as in play.
// One frame every 22 ms, as the game draws them, with whatever the caches
// kept while it slept; each frame's time is kept, so the counters give mean,
// median, p99 and max per frame.

#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "bench/BenchPlay.h"
#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "platform/qt/QtSurface.h"
#include "windows/Pictures.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int64_t kFrameNanos = 22'000'000;

enum Scene : int64_t { kUsual = 0, kEveryCaption = 1 };

// A game drawing into the real Qt surface off screen, with the fake keys,
// clock and random source, in the scene the benchmark's first argument names:
// running play before a full wall with the status panel and key legend, or
// the most text a frame can hold.
struct DrawScene {
    platform::fake::FakePlatform fakes;
    platform::qt::QtSurface surface{windows::PlayFieldPicture()};
    game::Game game{platform::Services{fakes.keyboard, fakes.clock, fakes.events, fakes.messages,
                                       fakes.random, surface},
                    TILEBASH_SOURCE_DIR};
    bool everyCaption;

    explicit DrawScene(benchmark::State& state) : everyCaption(state.range(0) == kEveryCaption) {
        std::string error;
        if (!surface.LoadBitmaps(std::string(TILEBASH_SOURCE_DIR) + "/Images/bitmaps.bmp", error)) {
            state.SkipWithError(error.c_str());
        }
        fakes.random.Randomize(7.0);
        bench::StartRunningPlay(game);
        if (everyCaption) bench::ShowEveryCaption(game);
        state.SetLabel(everyCaption ? "69 captions, item, paused: 79 prints"
                                    : "running, full wall, status texts");
    }
    void Advance(int64_t frame) { bench::MoveForNextFrame(game.state, frame, everyCaption); }
};

// Mean, median, p99 (nearest rank, as bench/figures.py takes it) and max, in µs.
void Report(benchmark::State& state, std::vector<int64_t> nanos) {
    if (nanos.empty()) return;
    std::sort(nanos.begin(), nanos.end());
    const auto us = [](int64_t ns) { return static_cast<double>(ns) / 1e3; };
    const auto rank = [&](double percent) {
        return us(nanos[static_cast<std::size_t>(std::ceil(percent / 100.0 * double(nanos.size()))) - 1]);
    };
    state.counters["mean_us"] =
        us(std::accumulate(nanos.begin(), nanos.end(), int64_t{0})) / double(nanos.size());
    state.counters["median_us"] = rank(50);
    state.counters["p99_us"] = rank(99);
    state.counters["max_us"] = us(nanos.back());
}

int64_t Nanos(Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
}

// One frame every 22 ms; the time of the drawing alone is reported.
void BM_DrawFramePaced(benchmark::State& state) {
    DrawScene scene(state);
    std::vector<int64_t> took;
    took.reserve(static_cast<std::size_t>(state.range(1)));  // never grows while timed
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    int64_t frame = 0;
    for (auto _ : state) {
        scene.Advance(frame++);
        next.tv_nsec += kFrameNanos;
        if (next.tv_nsec >= 1'000'000'000) {
            next.tv_nsec -= 1'000'000'000;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        const Clock::time_point t0 = Clock::now();
        bool drawn = scene.game.DrawFrame();
        benchmark::DoNotOptimize(drawn);
        took.push_back(Nanos(Clock::now() - t0));
        state.SetIterationTime(static_cast<double>(took.back()) / 1e9);
    }
    Report(state, std::move(took));
}
// Arguments: scene, frames; one iteration per frame. The 100-frame runs are
// the short suite's.
#define PACED(scene, frames)     \
    BENCHMARK(BM_DrawFramePaced) \
        ->Args({scene, frames})  \
        ->Iterations(frames)     \
        ->UseManualTime()        \
        ->Unit(benchmark::kMicrosecond)
PACED(kUsual, 1000);
PACED(kEveryCaption, 1000);
PACED(kUsual, 100);
PACED(kEveryCaption, 100);
#undef PACED

}  // namespace

// Google Benchmark's main inside a QApplication (the surface's fonts need
// one), off screen unless a platform is chosen.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
