#pragma once
// A game put straight into play for the step tests: a new game's first stage
// set up by the rules themselves, its serve going up and one pixel right per
// frame, the title's drawing forgotten, running (not paused). SetUp may be
// called again inside a test to start a table row afresh.

#include "GameHarness.h"
#include "game/Arithmetic.h"

namespace game::testing {

class RulesFixture : public GameHarness {
protected:
    // The random draw that serves the ball with ballDX 1.
    static constexpr double kServeUpRight = 0.5;

    void SetUp() override {
        overflowCount = 0;
        fp.keyboard.ReleaseAll();
        g.state = GameState{};
        g.state.newGame = true;
        fp.random.scripted = {kServeUpRight};
        g.SetUpStage();
        fp.surface.ops.clear();
        g.locals.paused = false;
    }
    void TearDown() override { EXPECT_EQ(overflowCount, 0); }

    // Every brick down, so a test can stand up only the ones it is about.
    void KnockDownAll() {
        for (int i = 1; i <= BrickTable::kCount; ++i) g.state.bricks[i].alive = false;
    }
};

}  // namespace game::testing
