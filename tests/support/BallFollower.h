#pragma once
// The player the long tests share: with Left and Right the paddle's centre
// follows the ball's centre (or wherever the caller aims), within a dead zone
// that makes the wider players miss now and then; P is pressed whenever play
// is paused. It allocates nothing, so the day's soak may call it between
// frames.

#include "game/Game.h"
#include "platform/fake/FakePlatform.h"

namespace testsupport {

// The ball's centre across the field.
inline double BallCentre(const game::GameState& s) {
    return s.ballX + s.ballWidth / 2.0;
}

// Presses Left or Right to move the paddle's centre towards target, and
// neither while it is within deadZone pixels of it.
inline void SteerTowards(const game::GameState& s, double target, int deadZone,
                         platform::fake::FakeKeyboard& keys) {
    const double paddle = s.paddleX + s.paddleWidth / 2.0;
    if (target < paddle - deadZone) keys.Press(platform::vk::Left);
    if (target > paddle + deadZone) keys.Press(platform::vk::Right);
}

struct BallFollower {
    int deadZone = 0;

    // Sets the keys for the next frame: P while paused, else the steer
    // towards the ball's centre moved aim pixels to the right.
    void SetKeys(const game::Game& g, platform::fake::FakeKeyboard& keys, double aim = 0) const {
        keys.ReleaseAll();
        if (g.locals.paused) {
            keys.Press(platform::vk::P);
            return;
        }
        SteerTowards(g.state, BallCentre(g.state) + aim, deadZone, keys);
    }
};

}  // namespace testsupport
