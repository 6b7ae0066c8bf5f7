#pragma once
// A new game's first stage as the rules set it up, for tests and benchmarks.

#include "game/Game.h"

namespace testsupport {

// The wall, the serve and the level title, waited out on the fake clock;
// paused, as every stage starts.
inline void StartFirstStage(game::Game& game) {
    game.state.newGame = true;
    game.state.quitGame = false;
    game.SetUpStage();
}

}  // namespace testsupport
