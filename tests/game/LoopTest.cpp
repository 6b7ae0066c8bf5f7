// The frame loop: key delays, new game, quit, close requests, losing balls,
// game over and the pacing of frames.

#include <vector>

#include "GameHarness.h"

namespace game::testing {
namespace {

using platform::vk::P;
using platform::vk::Q;
using platform::vk::R;
using Loop = GameHarness;

// The frames (1-based) in which holding P toggled the pause.
std::vector<int> PauseToggles(GameHarness& h, Game& g, platform::fake::FakeKeyboard& keys, int frames) {
    std::vector<int> toggles;
    keys.Press(P);
    for (int n = 1; n <= frames; ++n) {
        const bool before = g.locals.paused;
        g.RunFrame();
        if (g.locals.paused != before) toggles.push_back(n);
        // Keep the ball put so nothing but the pause can happen.
        g.state.ballX = 263;
        g.state.ballY = 200;
    }
    keys.Release(P);
    (void)h;
    return toggles;
}

TEST_F(Loop, PauseKeyIsFirstHonouredInTheEleventhFrameThenEveryTwentyOne) {
    StartGame();
    EXPECT_EQ(PauseToggles(*this, g, fp.keyboard, 80), (std::vector<int>{11, 32, 53, 74}));
}

TEST_F(Loop, ResetIsIgnoredInTheFirstTwentyFramesAfterTheWindowIsCreated) {
    StartGame();
    fp.keyboard.Press(R);
    int honoured = 0;
    for (int n = 1; n <= 40 && honoured == 0; ++n) {
        if (g.RunFrame() == FrameEnd::EndPlayStage) honoured = n;
    }
    EXPECT_EQ(honoured, 21);
    EXPECT_TRUE(g.state.newGame);
    EXPECT_FALSE(g.state.quitGame);
    EXPECT_EQ(g.state.resetKeyDelay, 0);
}

TEST_F(Loop, ResetDelayCarriesOverSoALaterGameHonoursRAtOnce) {
    StartGame();
    for (int n = 0; n < 30; ++n) g.RunFrame();  // delay reaches 20 in the first game
    g.state.quitGame = false;
    StartGame();  // a later game: resetKeyDelay is left alone
    fp.keyboard.Press(R);
    EXPECT_EQ(g.RunFrame(), FrameEnd::EndPlayStage) << "R honoured in the later game's first frame";
    EXPECT_TRUE(g.state.newGame);
}

TEST_F(Loop, ResetWhilePausedStartsANewGameAndQIsNotLookedAt) {
    StartGame();
    g.state.resetKeyDelay = 20;
    g.state.score = 999;
    g.state.level = 3;
    fp.keyboard.Press(R);
    fp.keyboard.Press(Q);
    ASSERT_TRUE(g.locals.paused);
    EXPECT_EQ(g.RunFrame(), FrameEnd::EndPlayStage);
    EXPECT_FALSE(g.state.quitGame) << "Q is not looked at in a frame that honours R";
    EXPECT_TRUE(g.state.newGame);
    fp.keyboard.ReleaseAll();
    g.SetUpStage();
    EXPECT_EQ(g.state.score, 0);
    EXPECT_EQ(g.state.level, 1);
    EXPECT_EQ(g.state.stage, 1);
}

TEST_F(Loop, QuitEndsTheGameAtOncePausedOrRunning) {
    for (bool paused : {true, false}) {
        StartGame();
        g.locals.paused = paused;
        g.state.score = 1234;
        fp.keyboard.Press(Q);
        EXPECT_EQ(g.RunFrame(), FrameEnd::EndPlayStage);
        EXPECT_TRUE(g.state.quitGame);
        EXPECT_FALSE(g.state.newGame);
        fp.keyboard.ReleaseAll();
    }
}

TEST_F(Loop, PausedFrameChangesOnlyTheKeyDelays) {
    StartGame();
    g.state.bricks[4].alive = false;
    g.state.bricks[4].captionOn = true;
    g.state.bricks[4].captionAge = 5;
    g.state.captionFrames = 9;
    g.state.specialFalling = true;
    g.state.specialY = 100;
    g.state.effectActive = true;
    g.state.specialKind = strobeBall;
    g.state.effectFrames = 300;
    g.state.strobeTicks = 4;
    const GameState before = g.state;
    const int16_t pauseDelay = g.locals.pauseKeyDelay;
    fp.keyboard.Press(platform::vk::Left);
    EXPECT_EQ(g.RunFrame(), FrameEnd::Continue);
    const GameState& s = g.state;
    EXPECT_EQ(g.locals.pauseKeyDelay, pauseDelay + 1);
    EXPECT_EQ(s.resetKeyDelay, before.resetKeyDelay + 1);
    EXPECT_EQ(s.specialCountdown, before.specialCountdown);
    EXPECT_EQ(s.ballX, before.ballX);
    EXPECT_EQ(s.ballY, before.ballY);
    EXPECT_EQ(s.paddleX, before.paddleX);
    EXPECT_EQ(s.specialY, before.specialY);
    EXPECT_EQ(s.captionFrames, before.captionFrames);
    EXPECT_EQ(s.bricks[4].captionAge, 5);
    EXPECT_EQ(s.effectFrames, before.effectFrames);
    EXPECT_EQ(s.strobeTicks, before.strobeTicks);
}

TEST_F(Loop, CloseRequestDuringPlayEndsTheStageAtTheNextFrame) {
    StartGame();
    g.locals.paused = false;
    g.Form_QueryUnload();
    EXPECT_TRUE(g.state.quitGame);
    EXPECT_FALSE(g.state.newGame);
    EXPECT_EQ(g.RunFrame(), FrameEnd::EndPlayStage);
    EXPECT_EQ(fp.surface.refreshes, 0) << "the loop returns before it touches the window again";
}

TEST_F(Loop, CloseRequestEndsMainEvenWithRHeldInTheNextFrame) {
    // R is read before the close request's flag; it must not start a new game
    // inside the closing window.
    int frames = 0;
    fp.events.onEvents = [&] {
        if (fp.surface.refreshes > 0 && ++frames == 30) {
            g.Form_QueryUnload();
            fp.keyboard.Press(R);
        }
        if (frames > 200) fp.keyboard.Press(Q);  // ends a game R wrongly started
    };
    g.Main();
    EXPECT_TRUE(g.state.quitGame);
    EXPECT_FALSE(g.state.newGame);
    EXPECT_EQ(frames, 30) << "no frame after the close request";
    EXPECT_EQ(g.state.resetKeyDelay, 20) << "R was not honoured";
}

TEST_F(Loop, CloseRequestDuringTheTitleEndsMainAfterTheFirstFrame) {
    int titles = 0;
    fp.events.onEvents = [&] {
        if (fp.surface.refreshes == 0 && ++titles == 1) g.Form_QueryUnload();
    };
    g.state.score = 77;
    const int32_t score = g.Main();
    EXPECT_EQ(score, 0) << "Main set up a new game, whose score it returns";
    EXPECT_EQ(fp.surface.refreshes, 0);
    EXPECT_TRUE(g.state.quitGame);
}

TEST_F(Loop, FramesAreAtLeastTwentyTwoMillisecondsApartAndAlwaysHandleEvents) {
    // Also where the tick count turns negative after 24.8 days and where it
    // wraps to 0 after 49.7: pacing on day 30 is the same as on day 1.
    for (int32_t startTick : {0, INT32_MAX - 50, -50}) {
        fp.clock.now = startTick;
        StartGame();
        fp.events.millisPerDoEvents = 0;
        std::vector<int32_t> starts;
        for (int n = 0; n < 5; ++n) {
            ASSERT_TRUE(Frame());
            starts.push_back(g.locals.frameStart);
        }
        for (std::size_t n = 1; n < starts.size(); ++n) {
            EXPECT_EQ(platform::TicksUntil(starts[n - 1], starts[n]), 22) << "start " << startTick;
        }
    }

    // A frame that took longer than 22 ms is followed by the next after one DoEvents.
    fp.events.millisPerDoEvents = 50;
    const int64_t calls = fp.events.doEventsCalls;
    ASSERT_TRUE(Frame());
    EXPECT_EQ(fp.events.doEventsCalls, calls + 1);
}

TEST_F(Loop, LostBallServesAgainPausedAndTheFourthEndsTheGame) {
    StartGame();
    g.state.score = 4321;
    for (int16_t livesLeft = 2; livesLeft >= -1; --livesLeft) {
        g.locals.paused = false;
        g.locals.hitStreak = 3;
        g.state.specialFalling = true;
        g.state.ballX = 100;
        g.state.ballY = 395;
        g.state.ballDY = 6;
        const FrameEnd end = g.RunFrame();
        EXPECT_EQ(g.state.lives, livesLeft);
        EXPECT_TRUE(g.locals.paused);
        EXPECT_FALSE(g.state.specialFalling);
        if (livesLeft >= 0) {
            EXPECT_EQ(end, FrameEnd::Continue);
            EXPECT_EQ(g.state.paddleX, 230);
            EXPECT_EQ(g.state.ballX, 263);
            EXPECT_EQ(g.state.ballY, 374);
            EXPECT_EQ(g.state.ballDY, -6);
            EXPECT_EQ(g.locals.hitStreak, 0);
            EXPECT_TRUE(fp.messages.shown.empty());
        } else {
            EXPECT_EQ(end, FrameEnd::EndPlayStage);
            EXPECT_TRUE(g.state.quitGame);
            EXPECT_TRUE(g.state.newGame);
            ASSERT_EQ(fp.messages.shown.size(), 1u);
            EXPECT_EQ(fp.messages.shown[0].title, "Game Over");
            EXPECT_EQ(fp.messages.shown[0].text, "Final Score: 4321");
        }
    }
}

// A scripted whole game: the player resumes after every lost ball and never
// moves; every served ball is dropped to the floor.
TEST_F(Loop, ScriptedGameThroughMainEndsWithGameOverAndReturnsTheScore) {
    int frames = 0;
    fp.events.onEvents = [&] {
        ++frames;
        if (g.locals.paused) {
            fp.keyboard.Press(P);
        } else {
            fp.keyboard.Release(P);
            if (frames % 40 == 0) g.state.ballY = 396;  // lose this ball in the next frame
        }
    };
    const int32_t score = g.Main();
    ASSERT_EQ(fp.messages.shown.size(), 1u);
    EXPECT_EQ(fp.messages.shown[0].text, "Final Score: " + std::to_string(score));
    EXPECT_EQ(g.state.lives, -1);
    EXPECT_GT(fp.surface.refreshes, 40);
}

TEST_F(Loop, ClearingTheLastBrickAdvancesTheStageWithoutShowingThatFrame) {
    struct Case {
        int16_t level, stage, nextLevel, nextStage;
    };
    for (const Case c : {Case{1, 1, 1, 2}, Case{1, 2, 1, 3}, Case{1, 3, 2, 1}, Case{4, 3, 5, 1}}) {
        StartGame();
        g.state.level = c.level;
        g.state.stage = c.stage;
        for (int i = 1; i <= 70; ++i) g.state.bricks[i].alive = false;
        const int64_t refreshes = fp.surface.refreshes;
        EXPECT_EQ(g.RunFrame(), FrameEnd::EndPlayStage);
        EXPECT_EQ(fp.surface.refreshes, refreshes);
        EXPECT_EQ(g.state.level, c.nextLevel);
        EXPECT_EQ(g.state.stage, c.nextStage);
        EXPECT_FALSE(g.state.quitGame);
    }
}

}  // namespace
}  // namespace game::testing
