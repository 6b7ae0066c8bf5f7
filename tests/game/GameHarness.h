#pragma once
// A Game over the fake platform, with helpers to run frames as a player would.

#include <cfenv>
#include <vector>

#include <gtest/gtest.h>

#include "game/Game.h"
#include "platform/fake/FakePlatform.h"

namespace game::testing {

// The floating-point rounding mode for one scope: no rule may depend on it.
class RoundingMode {
public:
    explicit RoundingMode(int mode) { std::fesetround(mode); }
    ~RoundingMode() { std::fesetround(FE_TONEAREST); }
    RoundingMode(const RoundingMode&) = delete;
    RoundingMode& operator=(const RoundingMode&) = delete;
};
// Upward is the mode that would turn the serve's and the captions' halves
// the other way if they were left to the mode in force.
constexpr int kRoundingModes[] = {FE_TONEAREST, FE_UPWARD};

class GameHarness : public ::testing::Test {
protected:
    platform::fake::FakePlatform fp;
    Game g{fp.Services(), "/prog"};

    // A fresh game's first stage, set up as Main would: NewGame, wall, title.
    void StartGame() {
        g.state.newGame = true;
        g.state.quitGame = false;
        g.SetUpStage();
    }
    // Runs one frame (steps 1-19) and reports whether PlayStage goes on.
    bool Frame() {
        const bool goesOn = g.RunFrame() == FrameEnd::Continue;
        if (goesOn) g.WaitFrame();
        return goesOn;
    }
    // One frame with the ball put back in open space, clear of floor, paddle
    // and bricks, so that nothing but the keys can change play.
    void QuietFrame() {
        g.RunFrame();
        g.state.ballX = 263;
        g.state.ballY = 250;
    }
    // Frames (1-based, counted from now) in which holding P toggled the pause.
    std::vector<int> PauseToggles(int frames) {
        std::vector<int> toggles;
        fp.keyboard.Press(platform::vk::P);
        for (int n = 1; n <= frames; ++n) {
            const bool before = g.locals.paused;
            QuietFrame();
            if (g.locals.paused != before) toggles.push_back(n);
        }
        fp.keyboard.Release(platform::vk::P);
        return toggles;
    }
    // Runs frames with a key held; returns the 1-based frame that ended the stage, or 0.
    int FramesHolding(int32_t virtualKey, int frames) {
        fp.keyboard.Press(virtualKey);
        for (int n = 1; n <= frames; ++n) {
            if (!Frame()) {
                fp.keyboard.Release(virtualKey);
                return n;
            }
        }
        fp.keyboard.Release(virtualKey);
        return 0;
    }
};

}  // namespace game::testing
