// The rules of one frame (steps 1 to 18 with a null surface): running play
// before a nearly full wall, the paddle kept under the ball, seeded random.
// The wall is put back every few hundred frames so the brick walk always has
// a full wall's work to do.

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
        const game::FrameEnd end = g.RunFrame();
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

}  // namespace
