// Step 17: the brick walk. At most one brick breaks per frame; the walk ages
// the streak captions of the bricks it passes and stops at the hit.

#include "game/Arithmetic.h"
#include "game/Game.h"

namespace game {
namespace {

// Which velocity component a hit turns.
enum class Face { None, Side, TopOrBottom };

// The ball's side of the face tests, the same for every brick of a walk.
struct BallBox {
    double cx, cy;  // real numbers halfway between two pixels
    int16_t left, top, right, bottom;
    bool upright;  // no negative size: the centre lies inside the box
    explicit BallBox(const GameState& s)
        : cx(s.ballX + s.ballWidth / 2.0),
          cy(s.ballY + s.ballHeight / 2.0),
          left(s.ballX),
          top(s.ballY),
          right(Add16(s.ballX, s.ballWidth)),
          bottom(Add16(s.ballY, s.ballHeight)),
          upright(s.ballWidth >= 0 && s.ballHeight >= 0) {}
};

// The three face tests, in their order. Every comparison includes equality.
Face HitFace(const GameState& s, const BallBox& ball, const Brick& b) {
    const int16_t left = b.x;
    const int16_t right = Add16(b.x, b.width);
    const int16_t top = b.y;
    const int16_t bottom = Add16(b.y, b.height);
    // Each test needs the ball's box to touch the brick's (the centre lies
    // inside the ball's box), so a brick it does not touch is passed at once.
    if (ball.upright &&
        (ball.left > right || left > ball.right || ball.top > bottom || top > ball.bottom)) {
        return Face::None;
    }
    const bool centreInHeight = top <= ball.cy && ball.cy <= bottom;

    if (centreInHeight && s.ballDX < 0 && ball.left <= right && right <= ball.right) return Face::Side;
    if (centreInHeight && s.ballDX > 0 && ball.left <= left && left <= ball.right) return Face::Side;
    if (ball.top <= bottom && ball.bottom >= top && left <= ball.cx && ball.cx <= right)
        return Face::TopOrBottom;
    return Face::None;
}

void AgeCaption(Brick& b) {
    if (!b.captionOn) return;
    b.captionAge = Add16(b.captionAge, 1);
    if (b.captionAge >= kBrickCaptionLife) b.captionOn = false;
}

}  // namespace

void Game::HitBricks() {
    const BallBox ball(state);
    for (int i = 1; i <= BrickTable::kCount; ++i) {
        Brick& b = state.bricks[i];
        const Face face = b.alive ? HitFace(state, ball, b) : Face::None;
        if (face == Face::None) {
            AgeCaption(b);
            continue;
        }

        b.alive = false;
        if (face == Face::Side) {
            state.ballDX = Neg16(state.ballDX);
        } else {
            state.ballDY = Neg16(state.ballDY);
        }

        // The streak bonus counts the bricks broken since the ball left the
        // paddle; the caption shows it before any doubling.
        const int16_t bonus = Mul16(locals.hitStreak, kStreakBonus);
        int16_t p = Add16(bonus, b.points);
        if (state.effectActive) p = Mul16(p, kEffectPointsFactor);
        state.score = Add32(state.score, p);
        if (locals.hitStreak > 0) {
            b.captionOn = true;
            b.captionValue = bonus;
            b.captionAge = 0;
        }
        locals.hitStreak = Add16(locals.hitStreak, 1);
        return;  // later bricks are neither tested nor aged this frame
    }
}

}  // namespace game
