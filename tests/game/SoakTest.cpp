// Many seeded games played frame by frame by the shared ball-following
// player, with the invariants of play checked after every frame, and a whole
// game through Main played twice from the same seed.

#include <algorithm>
#include <array>
#include <cstdint>

#include <gtest/gtest.h>

#include "game/Arithmetic.h"
#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/BallFollower.h"

namespace game::testing {
namespace {

using testsupport::BallFollower;

constexpr int kSoakFrames = 100000;
constexpr int kFramesPerGameAtMost = 6000;

// Checks what a frame may change, given the state before it. Returns through
// gtest assertions; the caller stops at the first failure.
void CheckFrame(const GameState& before, const StageLocals& localsBefore, const Game& g, int frame) {
    const GameState& s = g.state;
    SCOPED_TRACE(::testing::Message() << "frame " << frame);

    ASSERT_EQ(overflowCount, 0);
    ASSERT_GE(s.lives, -1);
    ASSERT_GE(s.score, before.score) << "score fell within a game";

    int broken = 0;
    for (int i = 1; i <= BrickTable::kCount; ++i) {
        ASSERT_FALSE(!before.bricks[i].alive && s.bricks[i].alive) << "brick " << i << " revived";
        broken += before.bricks[i].alive && !s.bricks[i].alive ? 1 : 0;
    }
    ASSERT_LE(broken, 1);

    // Step 2 may have toggled the pause; the rest of the frame ran only if
    // play was not paused after it.
    const bool toggled = g.locals.pauseKeyDelay == 0 && localsBefore.pauseKeyDelay == 20;
    const bool ran = !(toggled ? !localsBefore.paused : localsBefore.paused);
    if (!ran) {
        ASSERT_EQ(s.ballX, before.ballX);
        ASSERT_EQ(s.ballY, before.ballY);
        ASSERT_EQ(s.paddleX, before.paddleX);
        ASSERT_EQ(s.specialY, before.specialY);
        ASSERT_EQ(s.specialCountdown, before.specialCountdown);
        ASSERT_EQ(s.captionFrames, before.captionFrames);
        ASSERT_EQ(s.effectFrames, before.effectFrames);
        ASSERT_EQ(s.score, before.score);
        ASSERT_EQ(broken, 0);
        return;
    }
    if (s.lives < before.lives) {  // lost ball: served again, or game over
        if (s.lives >= 0) {
            ASSERT_EQ(s.ballX, 263);
            ASSERT_EQ(s.ballY, 374);
        }
        return;
    }

    // The ball stays inside the field after the walls, floor and ceiling.
    ASSERT_GE(s.ballX, 10);
    ASSERT_LE(s.ballX + s.ballWidth, 530);
    ASSERT_GE(s.ballY, 10);
    ASSERT_LT(s.ballY + s.ballHeight, 410);
    ASSERT_GE(s.paddleX, 10);
    ASSERT_LE(s.paddleX + s.paddleWidth, 530);

    // Away from the walls the ball moved by its step, cut to ballMaxDX from
    // above first, plus the drunken jitter of -4..+5 while that effect ran.
    const bool drunken = before.effectActive && before.specialKind == drunkenBall;
    const int stepX = std::min(before.ballDX, before.ballMaxDX);
    const int jitterLow = drunken ? -4 : 0;
    const int jitterHigh = drunken ? 5 : 0;
    if (s.ballX != 10 && s.ballX != 515) {
        const int moved = s.ballX - before.ballX;
        ASSERT_GE(moved - stepX, jitterLow) << "ballDX before " << before.ballDX;
        ASSERT_LE(moved - stepX, jitterHigh) << "ballDX before " << before.ballDX;
    }
    const int restOnPaddle = s.paddleY - s.ballHeight;
    if (s.ballY != 10 && s.ballY != restOnPaddle) {
        const int moved = s.ballY - before.ballY;
        ASSERT_GE(moved - before.ballDY, jitterLow);
        ASSERT_LE(moved - before.ballDY, jitterHigh);
    }
}

TEST(Soak, SeededGamesKeepTheInvariantsOfPlay) {
    platform::fake::FakePlatform fp;
    fp.surface.recording = false;
    Game g(fp.Services(), "/prog");
    overflowCount = 0;

    int frames = 0;
    int games = 0;
    int stagesCleared = 0;
    int gamesOver = 0;
    int64_t itemsCaught = 0;
    while (frames < kSoakFrames) {
        const auto seed = static_cast<uint32_t>(games + 1);
        fp.random.Randomize(seed * 1.25);
        const BallFollower player{static_cast<int>(5 + seed * 7 % 41)};
        g.state.newGame = true;
        g.state.quitGame = false;
        g.SetUpStage();
        ++games;
        for (int inGame = 0; inGame < kFramesPerGameAtMost && frames < kSoakFrames; ++inGame, ++frames) {
            player.SetKeys(g, fp.keyboard);
            const GameState before = g.state;
            const StageLocals localsBefore = g.locals;
            const FrameEnd end = g.RunFrame();
            CheckFrame(before, localsBefore, g, frames);
            if (::testing::Test::HasFatalFailure()) {
                FAIL() << "game " << games << " (seed " << seed << ")";
            }
            if (g.state.captionFrames == 20 && before.captionFrames != 20) ++itemsCaught;
            if (end == FrameEnd::Continue) {
                g.WaitFrame();
                continue;
            }
            if (g.state.quitGame) {  // game over: the next seed plays
                ++gamesOver;
                break;
            }
            ++stagesCleared;
            g.SetUpStage();
        }
    }
    EXPECT_GE(games, 10);
    // The soak must have reached the places the invariants are about.
    EXPECT_GT(stagesCleared, 0);
    EXPECT_GT(gamesOver, 0);
    EXPECT_GT(itemsCaught, 0);
    RecordProperty("games", games);
    RecordProperty("stagesCleared", stagesCleared);
    RecordProperty("gamesOver", gamesOver);
    EXPECT_EQ(overflowCount, 0);
}

// The rules take their randomness and keys only through the platform, so the
// same seed and the same player give the same game.
TEST(Soak, SameSeedThroughMainPlaysTheSameGame) {
    struct Outcome {
        int32_t score;
        int16_t level, stage, lives;
        int64_t frames;
    };
    auto play = [](double seed) {
        platform::fake::FakePlatform fp;
        fp.surface.recording = false;
        Game g(fp.Services(), "/prog");
        fp.random.Randomize(seed);
        const BallFollower player{10};
        int64_t events = 0;
        fp.events.onEvents = [&] {
            ++events;
            player.SetKeys(g, fp.keyboard);
            if (events > 20000) fp.keyboard.Press(platform::vk::Q);  // an upper bound on the game
        };
        const int32_t score = g.Main();
        EXPECT_EQ(score, g.state.score);
        EXPECT_TRUE(g.state.quitGame);
        if (g.state.lives < 0) {
            EXPECT_EQ(fp.messages.shown.size(), 1u);
        }
        return Outcome{score, g.state.level, g.state.stage, g.state.lives, events};
    };
    const Outcome a = play(4242.5);
    const Outcome b = play(4242.5);
    RecordProperty("frames", static_cast<int>(a.frames));
    RecordProperty("score", a.score);
    EXPECT_GT(a.frames, 1000);
    EXPECT_GT(a.score, 0);
    EXPECT_EQ(a.score, b.score);
    EXPECT_EQ(a.level, b.level);
    EXPECT_EQ(a.stage, b.stage);
    EXPECT_EQ(a.lives, b.lives);
    EXPECT_EQ(a.frames, b.frames);
    EXPECT_EQ(overflowCount, 0);
}

}  // namespace
}  // namespace game::testing
