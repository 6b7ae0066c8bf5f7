// The frame loop: the order of a frame's steps, key delays, new game, quit,
// close requests, losing balls, game over and the pacing of frames.

#include <vector>

#include "RulesFixture.h"

namespace game::testing {
namespace {

using platform::vk::P;
using platform::vk::Q;
using platform::vk::R;
using Loop = GameHarness;

using platform::fake::FakePlatform;
using FrameOrder = RulesFixture;

// R honoured: a new game is asked for, whatever Q says, and R is honoured
// again, while still held, in the 21st frame after.
void ExpectResetHonouredAndAgainTwentyOneFramesLater(Game& g, FakePlatform& fp) {
    EXPECT_TRUE(g.state.newGame);
    EXPECT_FALSE(g.state.quitGame) << "Q is not looked at in a frame that honours R";
    EXPECT_EQ(g.state.resetKeyDelay, 0);
    fp.keyboard.Release(Q);
    g.SetUpStage();  // as Main goes on
    EXPECT_EQ(g.state.score, 0);
    EXPECT_EQ(g.state.level, 1);
    EXPECT_EQ(g.state.stage, 1);
    int honoured = 0;
    for (int n = 1; n <= 30 && honoured == 0; ++n) {
        if (g.RunFrame() == FrameEnd::EndPlayStage) honoured = n;
    }
    EXPECT_EQ(honoured, 21);
}

void ExpectQuit(Game& g, FakePlatform&) {
    EXPECT_TRUE(g.state.quitGame);
    EXPECT_FALSE(g.state.newGame);
    EXPECT_EQ(g.state.score, 1234);
}

// One real frame from a set state; the outcome shows the order in which the
// frame runs its steps. Rows start from a running flat wall, the ball rising
// from (263, 374) by (1, -6).
TEST_F(FrameOrder, OneFrameRunsItsStepsInTheirOrder) {
    using Step = void (*)(Game&, FakePlatform&);
    struct Case {
        const char* what;
        Step set;
        FrameEnd end;
        Step check;
    };
    const Case cases[] = {
        {"drunken jitter past the right wall is turned at the wall in the same frame",
         [](Game& game, FakePlatform& fake) {
             game.state.effectActive = true;
             game.state.specialKind = drunkenBall;
             game.state.effectFrames = 100;
             game.state.ballX = 510;
             game.state.ballY = 300;
             fake.random.scripted = {0.9999999, 0.5};  // +5, +1
         },
         FrameEnd::Continue,
         [](Game& game, FakePlatform&) {
             EXPECT_EQ(game.state.ballX, 515);  // 511 + 5 reached the wall
             EXPECT_EQ(game.state.ballDX, -1);
             EXPECT_EQ(game.state.ballY, 295);
         }},
        {"a ball at the floor is lost before the paddle is looked at",
         [](Game& game, FakePlatform&) {
             game.state.paddleY = 400;  // its band 400..415 holds the ball's bottom 410
             game.state.ballY = 389;
             game.state.ballDY = 6;
         },
         FrameEnd::Continue,
         [](Game& game, FakePlatform&) {
             EXPECT_EQ(game.state.lives, 2);
             EXPECT_TRUE(game.locals.paused);
             EXPECT_EQ(game.state.paddleY, 390);
             EXPECT_EQ(game.state.ballY, 374);
             EXPECT_EQ(game.state.ballDY, -6);
         }},
        // A ball 400 high reaches floor and ceiling at once.
        {"a ball at the floor is lost and the ceiling is not looked at",
         [](Game& game, FakePlatform&) {
             for (int i = 2; i <= BrickTable::kCount; ++i) game.state.bricks[i].alive = false;
             game.state.ballHeight = 400;
             game.state.ballY = 16;
         },
         FrameEnd::Continue,
         [](Game& game, FakePlatform&) {
             EXPECT_EQ(game.state.lives, 2);
             EXPECT_EQ(game.state.ballY, -11);  // served above the paddle, left there
             EXPECT_EQ(game.state.ballDY, -6);
         }},
        {"the floor is tested before the ceiling",
         [](Game& game, FakePlatform&) {
             for (int i = 2; i <= BrickTable::kCount; ++i) game.state.bricks[i].alive = false;
             game.state.ballHeight = 400;
             game.state.ballY = 11;    // 5 after the step: bottom 405, at the ceiling
             game.state.paddleX = 10;  // away from the ball's centre
         },
         FrameEnd::Continue,
         [](Game& game, FakePlatform&) {
             EXPECT_EQ(game.state.lives, 3);
             EXPECT_EQ(game.state.ballY, 10);
             EXPECT_EQ(game.state.ballDY, 6);
         }},
        {"a lost-ball frame still walks the bricks: a caption ages",
         [](Game& game, FakePlatform&) {
             game.state.ballY = 389;
             game.state.ballDY = 6;
             game.state.bricks[4].alive = false;
             game.state.bricks[4].captionOn = true;
             game.state.bricks[4].captionAge = 5;
         },
         FrameEnd::Continue,
         [](Game& game, FakePlatform&) {
             EXPECT_EQ(game.state.lives, 2);
             EXPECT_EQ(game.state.bricks[4].captionAge, 6);
         }},
        {"an item touching the paddle at y 386 is caught before its floor test",
         [](Game& game, FakePlatform&) {
             game.state.specialFalling = true;
             game.state.specialKind = points1000;
             game.state.specialPoints = 1000;
             game.state.specialX = 257;
             game.state.specialY = 384;
         },
         FrameEnd::Continue,
         [](Game& game, FakePlatform&) {
             EXPECT_EQ(game.state.score, 1000);
             EXPECT_EQ(game.state.captionFrames, 20);
             EXPECT_EQ(game.state.specialY, 386);
         }},
        {"an item falls before the catch",
         [](Game& game, FakePlatform&) {
             game.state.specialFalling = true;
             game.state.specialKind = points500;
             game.state.specialPoints = 500;
             game.state.specialX = 257;
             game.state.specialY = 363;  // bottom 388 before its fall, 390 after
         },
         FrameEnd::Continue, [](Game& game, FakePlatform&) { EXPECT_EQ(game.state.score, 500); }},
        {"the speed cap comes before the ball's step",
         [](Game& game, FakePlatform&) {
             game.state.ballX = 200;
             game.state.ballY = 300;
             game.state.ballDX = 12;
         },
         FrameEnd::Continue,
         [](Game& game, FakePlatform&) {
             EXPECT_EQ(game.state.ballX, 208);
             EXPECT_EQ(game.state.ballDX, 8);
         }},
        {"R while running starts a new game and Q is not looked at",
         [](Game& game, FakePlatform& fake) {
             game.state.resetKeyDelay = 20;
             game.state.score = 999;
             game.state.level = 3;
             fake.keyboard.Press(R);
             fake.keyboard.Press(Q);
         },
         FrameEnd::EndPlayStage, ExpectResetHonouredAndAgainTwentyOneFramesLater},
        {"R while paused starts a new game and Q is not looked at",
         [](Game& game, FakePlatform& fake) {
             game.locals.paused = true;
             game.state.resetKeyDelay = 20;
             game.state.score = 999;
             game.state.level = 3;
             fake.keyboard.Press(R);
             fake.keyboard.Press(Q);
         },
         FrameEnd::EndPlayStage, ExpectResetHonouredAndAgainTwentyOneFramesLater},
        {"Q ends the game at once while running",
         [](Game& game, FakePlatform& fake) {
             game.state.score = 1234;
             fake.keyboard.Press(Q);
         },
         FrameEnd::EndPlayStage, ExpectQuit},
        {"Q ends the game at once while paused",
         [](Game& game, FakePlatform& fake) {
             game.locals.paused = true;
             game.state.score = 1234;
             fake.keyboard.Press(Q);
         },
         FrameEnd::EndPlayStage, ExpectQuit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.set(g, fp);
        EXPECT_EQ(g.RunFrame(), c.end);
        c.check(g, fp);
    }
}

TEST_F(Loop, PauseKeyIsFirstHonouredInTheEleventhFrameThenEveryTwentyOne) {
    StartGame();
    EXPECT_EQ(PauseToggles(80), (std::vector<int>{11, 32, 53, 74}));
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

// The player reaches a score and holds R; the new game is quit at once.
TEST_F(Loop, MainNeverReturnsTheScoreOfAGameAbandonedWithR) {
    bool resetHeld = false;
    fp.events.onEvents = [&] {
        if (!resetHeld && g.state.resetKeyDelay == 20) {
            g.state.score = 4321;
            fp.keyboard.Press(R);
            resetHeld = true;
        } else if (resetHeld && g.state.resetKeyDelay == 0) {
            fp.keyboard.Release(R);
            fp.keyboard.Press(Q);
        }
    };
    EXPECT_EQ(g.Main(), 0);
    EXPECT_TRUE(resetHeld);
    EXPECT_TRUE(fp.keyboard.IsDown(Q)) << "the game was abandoned with R, then quit";
    EXPECT_TRUE(fp.messages.shown.empty());
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
