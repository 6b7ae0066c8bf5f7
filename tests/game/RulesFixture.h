#pragma once
// A game put straight into play for the step tests: the sizes of a new game,
// the flat wall and the serving places, no title, running (not paused).
// SetUp may be called again inside a test to start a table row afresh.

#include "game/Arithmetic.h"
#include "GameHarness.h"

namespace game::testing {

class RulesFixture : public GameHarness {
protected:
    void SetUp() override {
        overflowCount = 0;
        fp.random.scripted.clear();
        fp.keyboard.ReleaseAll();
        fp.surface.ops.clear();
        g.state = GameState{};
        g.NewGame();
        g.state.stage = 1;
        g.BuildWall();
        g.state.paddleX = 230;
        g.state.paddleY = 390;
        g.state.paddleSpeed = 8;
        g.state.ballX = 263;
        g.state.ballY = 374;
        g.state.ballDX = 1;
        g.state.ballDY = -6;
        g.locals = StageLocals{};
        g.locals.paused = false;
    }
    void TearDown() override { EXPECT_EQ(overflowCount, 0); }

    // Every brick down, so a test can stand up only the ones it is about.
    void KnockDownAll() {
        for (int i = 1; i <= BrickTable::kCount; ++i) g.state.bricks[i].alive = false;
    }
};

}  // namespace game::testing
