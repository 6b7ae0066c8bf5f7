// The rules alone, on the fake clock, keys and random source with a null
// surface, the paddle kept under the ball:
// - one frame (steps 1 to 18) of running play before a nearly full wall; the
//   wall is put back every few hundred frames so the brick walk always has a
//   full wall's work to do;
// - the headless simulation: whole games of frames (rules, frame wait and
//   stage set-ups), as long soaks and fuzzing run them. A lost ball is served
//   again at once; a game ends at game over, after its third level or after a
//   frame budget, and the next one starts.

#include <benchmark/benchmark.h>

#include "bench/BenchPlay.h"
#include "game/Game.h"
#include "platform/fake/FakePlatform.h"

namespace {

constexpr double kSeed = 43'210.5;
constexpr int64_t kFramesPerWall = 256;

void BM_RunFrame(benchmark::State& state) {
    bench::HeadlessPlay play(kSeed);
    game::Game& g = play.g;
    const game::GameState fullWall = g.state;
    const game::StageLocals fullWallLocals = g.locals;

    int64_t frame = 0;
    for (auto _ : state) {
        bench::SteerUnderBall(g.state, bench::SteerOffset(frame));
        game::FrameEnd end = g.RunFrame();  // not const: Google Benchmark 1.8 deprecates that form
        benchmark::DoNotOptimize(end);
        play.fakes.clock.now += game::kFrameMillis;
        if (end != game::FrameEnd::Continue || g.locals.paused || ++frame % kFramesPerWall == 0) {
            g.state = fullWall;
            g.locals = fullWallLocals;
        }
    }
    state.SetLabel("running, full wall, null surface");
}
BENCHMARK(BM_RunFrame)->Unit(benchmark::kNanosecond);

constexpr double kSimulationSeed = 12'345.25;
constexpr int16_t kLastLevel = 3;
constexpr int64_t kFrameBudgetPerGame = 200'000;

void BM_HeadlessSimulation(benchmark::State& state) {
    bench::HeadlessPlay play(kSimulationSeed);
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
