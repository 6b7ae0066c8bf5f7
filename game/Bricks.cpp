// Step 17: the brick walk. At most one brick breaks per frame; the walk ages
// the streak captions of the bricks it passes and stops at the hit.

#include "game/Checked.h"
#include "game/Game.h"
#include "game/Rules.h"

namespace game {
namespace {

// Which velocity component a hit turns.
enum class Face { None, Side, TopOrBottom };

// The three face tests, in their order. Every comparison includes equality;
// the centres are real numbers halfway between two pixels.
Face HitFace(const GameState& s, const Brick& b) {
    const double cx = s.ballX + s.ballWidth / 2.0;
    const double cy = s.ballY + s.ballHeight / 2.0;
    const int16_t left = b.x;
    const int16_t right = Add16(b.x, b.width);
    const int16_t top = b.y;
    const int16_t bottom = Add16(b.y, b.height);
    const int16_t ballRight = Add16(s.ballX, s.ballWidth);
    const int16_t ballBottom = Add16(s.ballY, s.ballHeight);
    const bool centreInHeight = top <= cy && cy <= bottom;

    if (centreInHeight && s.ballDX < 0 && s.ballX <= right && right <= ballRight) return Face::Side;
    if (centreInHeight && s.ballDX > 0 && s.ballX <= left && left <= ballRight) return Face::Side;
    if (s.ballY <= bottom && ballBottom >= top && left <= cx && cx <= right) return Face::TopOrBottom;
    return Face::None;
}

void AgeCaption(Brick& b) {
    if (!b.captionOn) return;
    b.captionAge = Add16(b.captionAge, 1);
    if (b.captionAge >= kBrickCaptionLife) b.captionOn = false;
}

}  // namespace

void Game::HitBricks() {
    for (int i = 1; i <= BrickTable::kCount; ++i) {
        Brick& b = state.bricks[i];
        const Face face = b.alive ? HitFace(state, b) : Face::None;
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
