#pragma once
// Running play on demand: a new game's stage set up (title included, which
// costs nothing on the fake clock) and resumed at once, and a paddle placed
// under the ball before every frame so the ball stays in play. Benchmarks and
// the paced loop use these so that they measure frames of play, not pauses.

#include <algorithm>
#include <cstdint>

#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/FirstStage.h"

namespace bench {

// A new game at level 1, stage 1 with its full wall, running.
inline void StartRunningPlay(game::Game& g) {
    testsupport::StartFirstStage(g);
    g.locals.paused = false;
}

// A game on the fake platform with a silent surface, seeded, in running
// play: the rules alone, as fast as they go.
struct HeadlessPlay {
    platform::fake::FakePlatform fakes;
    game::Game g;
    explicit HeadlessPlay(double seed) : g(Silent(fakes, seed), "") { StartRunningPlay(g); }

private:
    static platform::Services Silent(platform::fake::FakePlatform& fakes, double seed) {
        fakes.surface.recording = false;
        fakes.random.Randomize(seed);
        return fakes.Services();
    }
};

// The next stage's wall after a cleared stage, without the title: play goes
// on at once with a new serve.
inline void RebuildWall(game::Game& g) {
    g.BuildWall();
    g.ServeBall();
    g.locals.paused = false;
}

// Places the paddle so that, after this frame's ball step, the ball's centre
// lies `offset` pixels right of the paddle's centre; offsets within +-20 keep
// the ball on the paddle (keys move it at most paddleSpeed more) and vary the
// bounce, so the wall does get broken.
inline void SteerUnderBall(game::GameState& s, int offset) {
    const int ballCentre = s.ballX + s.ballDX + s.ballWidth / 2;
    const int x = ballCentre - offset - s.paddleWidth / 2;
    s.paddleX = static_cast<int16_t>(std::clamp(x, int{game::kLeftWall}, game::kRightWall - s.paddleWidth));
}

// An offset that changes every few dozen frames: -20, -10, 0, 10, 20.
inline int SteerOffset(int64_t frame) {
    return static_cast<int>((frame / 37) % 5) * 10 - 20;
}

// The most text a frame can hold: 69 broken bricks with their streak
// captions at every height, the one brick left standing (a 70th caption
// would clear the stage, and that frame is never drawn), a falling bonus item
// with its caption, and the pause notice: 69 + 4 + 4 + 1 + 1 = 79 prints.
inline void ShowEveryCaption(game::Game& g) {
    game::GameState& s = g.state;
    for (int i = 1; i <= game::BrickTable::kCount; ++i) {
        game::Brick& b = s.bricks[i];
        b.alive = i == game::BrickTable::kCount;
        b.captionOn = !b.alive;
        b.captionValue = static_cast<int16_t>(50 * i);
        b.captionAge = static_cast<int16_t>(i % 21);
    }
    g.SpawnSpecial();
    s.specialY = 250;
    s.captionFrames = 10;
    s.score = 1'234'550;
    g.locals.paused = true;
}

// Moves things as play would between two frames (the ball, the paddle and,
// with captions, their rise), so that no frame repeats the one before: the
// surface may skip a frame identical to the last.
inline void MoveForNextFrame(game::GameState& s, int64_t frame, bool captions) {
    s.ballX = static_cast<int16_t>(40 + frame * 3 % 450);
    s.ballY = static_cast<int16_t>(160 + frame * 2 % 200);
    s.paddleX = static_cast<int16_t>(20 + frame * 5 % 420);
    if (!captions) return;
    for (int i = 1; i < game::BrickTable::kCount; ++i) {
        s.bricks[i].captionAge = static_cast<int16_t>((i + frame) % 21);
    }
}

}  // namespace bench
