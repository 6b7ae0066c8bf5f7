// A play window that loses the keyboard focus pauses running play, since the
// keys cannot reach it; the pause key's timing is left as it was.

#include "GameHarness.h"

namespace game::testing {
namespace {

using platform::vk::P;

class FocusPause : public GameHarness {
protected:
    // From a fresh stage: frames until P resumes play (the 11th), then more.
    void StartRunning(int framesAfterResume) {
        StartGame();
        for (int n = 1; n <= 10; ++n) QuietFrame();
        fp.keyboard.Press(P);
        QuietFrame();
        fp.keyboard.Release(P);
        ASSERT_FALSE(g.locals.paused);
        for (int n = 0; n < framesAfterResume; ++n) QuietFrame();
        ASSERT_FALSE(g.locals.paused);
    }
};

TEST_F(FocusPause, LosingTheFocusPausesRunningPlayAtOnceAndLeavesTheKeyDelay) {
    struct Case {
        int framesAfterResume;  // pauseKeyDelay is this, capped at 20
        int16_t delayAfterLoss;
        std::vector<int> pToggles;  // P held from the frame after the loss
    };
    const Case cases[] = {
        {3, 4, {17, 38}},   // P waits out its own delay, not a fresh one
        {25, 20, {1, 22}},  // the delay had run out: P resumes in the very next frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.framesAfterResume);
        StartRunning(c.framesAfterResume);
        const int16_t ballY = g.state.ballY;
        const int32_t score = g.state.score;
        const int16_t countdown = g.state.specialCountdown;
        fp.keyboard.LoseFocus();
        EXPECT_EQ(g.RunFrame(), FrameEnd::Continue);
        EXPECT_TRUE(g.locals.paused);
        EXPECT_EQ(g.locals.pauseKeyDelay, c.delayAfterLoss);
        EXPECT_EQ(g.state.ballY, ballY) << "nothing moves in the frame that learns of the loss";
        EXPECT_EQ(g.state.score, score);
        EXPECT_EQ(g.state.specialCountdown, countdown);
        EXPECT_EQ(fp.surface.PrintedTexts().back(), "Paused");
        EXPECT_EQ(PauseToggles(40), c.pToggles);
    }
}

TEST_F(FocusPause, OneLossPausesOnceAndPlayResumedAfterItGoesOn) {
    StartRunning(25);
    fp.keyboard.LoseFocus();
    QuietFrame();
    ASSERT_TRUE(g.locals.paused);
    fp.keyboard.Press(P);
    QuietFrame();
    fp.keyboard.Release(P);
    ASSERT_FALSE(g.locals.paused);
    for (int n = 0; n < 30; ++n) QuietFrame();
    EXPECT_FALSE(g.locals.paused) << "the loss was used up by the pause it caused";
}

TEST_F(FocusPause, LossWhilePausedKeepsThePauseAndPKeepsItsTiming) {
    StartGame();
    QuietFrame();
    QuietFrame();
    fp.keyboard.LoseFocus();
    QuietFrame();
    EXPECT_TRUE(g.locals.paused);
    EXPECT_EQ(g.locals.pauseKeyDelay, 13);
    // As on any stage: P first counts in frame 11, then every 21 frames.
    EXPECT_EQ(PauseToggles(40), (std::vector<int>{8, 29}));
}

TEST_F(FocusPause, LossDuringTheLevelTitleLeavesTheStagePausedAsUsualAndIsUsedUp) {
    g.state.newGame = true;
    g.state.quitGame = false;
    bool lost = false;
    fp.events.onEvents = [&] {
        if (!lost) fp.keyboard.LoseFocus();
        lost = true;
    };
    g.SetUpStage();  // the title's wait handles the events
    fp.events.onEvents = nullptr;
    ASSERT_TRUE(lost);
    EXPECT_EQ(PauseToggles(11), (std::vector<int>{11})) << "the stage's first P resumes play";
    for (int n = 0; n < 30; ++n) QuietFrame();
    EXPECT_FALSE(g.locals.paused) << "a loss before play began does not pause it later";
}

}  // namespace
}  // namespace game::testing
