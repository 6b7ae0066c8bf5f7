// The headless simulation: whole games of frames (rules, frame wait and stage
// set-ups) on the fake clock, keys and random source with a null surface, as
// long soaks and fuzzing run them. The paddle follows the ball; a lost ball is
// served again at once; a game ends at game over, after its third level or
// after a frame budget, and the next one starts.

#include <benchmark/benchmark.h>

#include "bench/BenchPlay.h"
#include "game/Game.h"
#include "platform/fake/FakePlatform.h"

namespace {

constexpr double kSeed = 12'345.25;
constexpr int16_t kLastLevel = 3;
constexpr int64_t kFrameBudgetPerGame = 200'000;

void BM_HeadlessSimulation(benchmark::State& state) {
    bench::HeadlessPlay play(kSeed);
    game::Game& g = play.g;

    int64_t frame = 0, gameFrame = 0;
    for (auto _ : state) {
        bench::SteerUnderBall(g.state, bench::SteerOffset(frame++));
        ++gameFrame;
        if (g.RunFrame() == game::FrameEnd::Continue) {
            g.WaitFrame();
            g.locals.paused = false;  // a lost ball: its serve is ready, play on
            if (gameFrame < kFrameBudgetPerGame) continue;
            g.state.quitGame = true;
        }
        if (g.state.quitGame || g.state.level > kLastLevel) {
            bench::StartRunningPlay(g);
            gameFrame = 0;
        } else {
            g.SetUpStage();
            g.locals.paused = false;
        }
        // Game-over boxes are recorded by the fake; keep that list short.
        play.fakes.messages.shown.clear();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HeadlessSimulation)->Unit(benchmark::kNanosecond);

}  // namespace
