// Bonus items: the countdown to the next item, its fall and catch, what each
// kind gives, the two timed ball effects and the caption of a caught item.

#include "game/Arithmetic.h"
#include "game/Game.h"
#include "game/Text.h"

namespace game {

// Step 7. An item due while another falls or an effect runs is skipped, not
// kept waiting: the next chance comes a whole interval later.
void Game::CountDownSpecial() {
    state.specialCountdown = Sub16(state.specialCountdown, 1);
    if (state.specialCountdown > 0) return;
    if (!state.specialFalling && !state.effectActive) {
        SpawnSpecial();
    } else {
        state.specialCountdown = kSpecialInterval;
    }
}

// Step 10.
void Game::FallSpecial() {
    if (state.specialFalling) state.specialY = Add16(state.specialY, state.specialSpeed);
}

// Step 11: after the ball's own step, so the walls, floor and paddle see the
// jittered position.
void Game::StepEffect() {
    if (!state.effectActive) return;
    if (state.specialKind == drunkenBall) {
        DrunkenBallStep();
    } else if (state.specialKind == strobeBall) {
        StrobeBallStep();
    }
}

// Step 16: the catch comes before the floor test, so an item touching the
// paddle at its lowest place is still caught. Edges that only touch count.
void Game::CatchSpecial() {
    if (state.specialFalling && Add16(state.specialY, state.specialHeight) >= state.paddleY &&
        Add16(state.paddleY, state.paddleHeight) >= state.specialY &&
        Add16(state.specialX, state.specialWidth) >= state.paddleX &&
        Add16(state.paddleX, state.paddleWidth) >= state.specialX) {
        CollectSpecial();
        state.captionFrames = kCaptionFramesAtCatch;
    }
    // Only values above 0 show a caption, so the count rests at 0 rather
    // than running on towards the int16 limit.
    if (state.captionFrames > 0) state.captionFrames = Sub16(state.captionFrames, 1);
    if (Add16(state.specialY, state.specialHeight) >= kFloor) state.specialFalling = false;
}

void Game::SpawnSpecial() {
    state.specialX = Floor16(services_.random.Rnd() * kSpecialSpanX + kSpecialMinX);
    state.specialY = kSpecialStartY;
    state.specialFalling = true;
    state.specialCountdown = kSpecialInterval;

    int16_t n = Floor16(services_.random.Rnd() * kKindDraw + 1);
    if (n > kKindFoldAbove) n = Sub16(n, kKindFold);
    // A generator outside [0, 1) must not index past the table.
    if (n < extraLife) n = extraLife;
    if (n > strobeBall) n = strobeBall;

    const SpecialLook& look = kSpecialLooks[n];
    state.specialKind = n;
    state.specialSpriteX = look.spriteX;
    state.specialSpriteY = look.spriteY;
    if (look.points > 0) state.specialPoints = look.points;
    if (n == drunkenBall || n == strobeBall) state.effectFrames = kEffectLength;
    if (n == strobeBall) {
        state.strobeShown = true;
        state.strobeTicks = 0;
    }
}

// The item stops falling where it was caught, so its caption shows there.
// Points items are not doubled and earn no streak bonus.
void Game::CollectSpecial() {
    state.specialFalling = false;
    switch (state.specialKind) {
        case extraLife:
            state.lives = Add16(state.lives, 1);
            break;
        case drunkenBall:
        case strobeBall:
            state.effectActive = true;
            break;
        default:
            state.score = Add32(state.score, state.specialPoints);
            break;
    }
}

// The ball staggers by -4..+5 pixels on each axis; its step is not changed.
void Game::DrunkenBallStep() {
    state.ballX = Add16(state.ballX, Floor16(services_.random.Rnd() * kJitterSpan + kJitterLowest));
    state.ballY = Add16(state.ballY, Floor16(services_.random.Rnd() * kJitterSpan + kJitterLowest));
    state.effectFrames = Sub32(state.effectFrames, 1);
    if (state.effectFrames <= 0) state.effectActive = false;
}

// The ball shows and hides in turns of 12 frames; it moves and collides as
// usual while hidden.
void Game::StrobeBallStep() {
    state.strobeTicks = Add16(state.strobeTicks, 1);
    if (state.strobeTicks >= kStrobeBlinkFrames) {
        state.strobeTicks = 0;
        state.strobeShown = !state.strobeShown;
    }
    state.effectFrames = Sub32(state.effectFrames, 1);
    if (state.effectFrames <= 0) state.effectActive = false;
}

// Prints the caught item's caption, rising a pixel every two frames from the
// item's last place. Texts are built in a fixed buffer: nothing is allocated
// in play.
void Game::DrawSpecialCaption() {
    platform::Surface& surface = services_.surface;
    const int rise = Floor16((kCaptionRiseFrom - state.captionFrames) / 2.0);
    surface.CurrentX(state.specialX);
    surface.CurrentY(state.specialY - rise);
    surface.ForeColor(kCaptionRed);

    switch (state.specialKind) {
        case extraLife:
            surface.Print("+1 Life");
            break;
        case drunkenBall:
            surface.Print("Drunken Ball");
            break;
        case strobeBall:
            surface.Print("Strobe Ball");
            break;
        default: {
            Text text;
            text.Append("+").AppendInt(state.specialPoints).Append(" Points");
            surface.Print(text.View());
            break;
        }
    }
    surface.ForeColor(kTextColour);
}

}  // namespace game
