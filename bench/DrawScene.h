#pragma once
// A game drawing into the real Qt surface off screen, with the fake keys,
// clock and random source: the scenes the drawing benchmarks time. The usual
// scene is running play before a full wall with the status panel and key
// legend; the busiest is the most text a frame can hold.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchPlay.h"
#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "windows/Pictures.h"
#include "platform/qt/QtSurface.h"

namespace bench {

inline const std::string kSheetPath = std::string(TILEBASH_SOURCE_DIR) + "/Images/bitmaps.bmp";

struct DrawScene {
    platform::fake::FakePlatform fakes;
    platform::qt::QtSurface surface{windows::PlayFieldPicture()};
    game::Game game{platform::Services{fakes.keyboard, fakes.clock, fakes.events, fakes.messages,
                                       fakes.random, surface},
                    TILEBASH_SOURCE_DIR};

    explicit DrawScene(benchmark::State& state) {
        std::string error;
        if (!surface.LoadBitmaps(kSheetPath, error)) state.SkipWithError(error.c_str());
        fakes.random.Randomize(7.0);
        StartRunningPlay(game);
    }

    void ShowEveryCaption() {
        bench::ShowEveryCaption(game);
        everyCaption_ = true;
    }
    void Advance(int64_t frame) { MoveForNextFrame(game.state, frame, everyCaption_); }

private:
    bool everyCaption_ = false;
};

}  // namespace bench
