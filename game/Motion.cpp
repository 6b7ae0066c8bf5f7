// Ball and paddle motion: frame steps 8, 9 and 12 to 15. Every test looks at
// the positions after the step, never at the path between two positions, so a
// fast ball can step over the paddle's band.

#include "game/Arithmetic.h"
#include "game/Game.h"

namespace game {

// Step 8. Only an upper limit: a ball thrown hard left keeps its speed until a
// left-wall or brick-side bounce turns it, and is cut the frame after.
void Game::LimitBallSpeed() {
    if (state.ballDX > state.ballMaxDX) state.ballDX = state.ballMaxDX;
}

// Step 9.
void Game::MoveBall() {
    state.ballX = Add16(state.ballX, state.ballDX);
    state.ballY = Add16(state.ballY, state.ballDY);
}

// Step 12. Left and Right held together cancel out.
void Game::MovePaddle() {
    if (KeyHeld(platform::vk::Left)) state.paddleX = Sub16(state.paddleX, state.paddleSpeed);
    if (KeyHeld(platform::vk::Right)) state.paddleX = Add16(state.paddleX, state.paddleSpeed);
    if (state.paddleX < kLeftWall) {
        state.paddleX = kLeftWall;
    } else if (Add16(state.paddleX, state.paddleWidth) > kRightWall) {
        state.paddleX = Sub16(kRightWall, state.paddleWidth);
    }
}

// Step 13. The sign flips whatever it was, also for a ball already leaving
// the wall.
void Game::ApplySideWalls() {
    if (Add16(state.ballX, state.ballWidth) >= kRightWall) {
        state.ballX = Sub16(kRightWall, state.ballWidth);
        state.ballDX = Neg16(state.ballDX);
    } else if (state.ballX <= kLeftWall) {
        state.ballX = kLeftWall;
        state.ballDX = Neg16(state.ballDX);
    }
}

// Step 14, first test: the ball's bottom edge has reached the floor.
bool Game::BallAtFloor() const {
    return Add16(state.ballY, state.ballHeight) >= kFloor;
}

// Step 14, second test; only asked when the ball is not at the floor.
void Game::ApplyCeiling() {
    if (state.ballY <= kCeiling) {
        state.ballY = kCeiling;
        state.ballDY = Neg16(state.ballDY);
    }
}

// Step 15. The ball bounces when its bottom edge lies within the paddle's
// height and its centre within the paddle's width, whichever way it moves.
// The deflection is exact in double precision and the offsets are always
// whole numbers plus one half, so its ties are real ties: rounding them to
// even is what makes the even changes wider than the odd ones.
void Game::BouncePaddle() {
    const int16_t ballBottom = Add16(state.ballY, state.ballHeight);
    if (ballBottom < state.paddleY || ballBottom > Add16(state.paddleY, state.paddleHeight)) return;

    const double ballCentre = state.ballX + state.ballWidth / 2.0;
    if (ballCentre < state.paddleX || ballCentre > Add16(state.paddleX, state.paddleWidth)) return;

    state.ballY = Sub16(state.paddleY, state.ballHeight);
    const double paddleCentre = state.paddleX + state.paddleWidth / 2.0;
    const double halfWidth = state.paddleWidth / 2.0;
    const int16_t d = RoundHalfEven16((paddleCentre - ballCentre) / halfWidth * state.deflectScale);
    locals.hitStreak = 0;
    state.ballDY = Neg16(state.ballDY);
    state.ballDX = Sub16(state.ballDX, d);
}

}  // namespace game
