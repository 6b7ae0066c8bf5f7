#pragma once
// The one record of a game in progress, owned by the Game and read and
// written directly by every rule. Fields keep the declared order and exact
// widths. A C++ bool stands for the 16-bit boolean: nothing stores the
// record's bytes.

#include <array>
#include <cassert>
#include <cstdint>

#include "game/Constants.h"

namespace game {

struct Brick {
    int16_t x = 0;        // left edge
    int16_t y = 0;        // top edge
    int16_t spriteX = 0;  // image corner in the sheet
    int16_t spriteY = 0;
    int16_t width = 0;
    int16_t height = 0;
    bool alive = false;        // the brick stands
    int16_t points = 0;        // points for breaking it
    bool captionOn = false;    // the streak caption shows
    int16_t captionValue = 0;  // streak bonus shown by the caption
    int16_t captionAge = 0;    // frames the caption has shown, 0..21
};

// The wall: 70 bricks, indexed 1..70 row by row from the top left.
class BrickTable {
public:
    static constexpr int kCount = 70;
    Brick& operator[](int index) {
        assert(index >= 1 && index <= kCount);
        return items_[static_cast<std::size_t>(index - 1)];
    }
    const Brick& operator[](int index) const {
        assert(index >= 1 && index <= kCount);
        return items_[static_cast<std::size_t>(index - 1)];
    }

private:
    std::array<Brick, kCount> items_{};
};

struct GameState {
    bool quitGame = false;
    bool newGame = false;
    int16_t ballX = 0;
    int16_t ballY = 0;
    int16_t ballSpriteX = 0;
    int16_t ballSpriteY = 0;
    int16_t ballMaskX = 0;
    int16_t ballMaskY = 0;
    int16_t ballDY = 0;
    int16_t ballDX = 0;
    int16_t ballMaxDX = 0;
    int16_t ballWidth = 0;
    int16_t ballHeight = 0;
    int16_t paddleX = 0;
    int16_t paddleY = 0;
    int16_t paddleSpriteX = 0;
    int16_t paddleSpriteY = 0;
    int16_t paddleMaskX = 0;
    int16_t paddleMaskY = 0;
    int16_t paddleWidth = 0;
    int16_t paddleHeight = 0;
    int16_t paddleSpeed = 0;
    int16_t deflectScale = 0;
    BrickTable bricks;
    int16_t specialX = 0;
    int16_t specialY = 0;
    int16_t specialWidth = 0;
    int16_t specialHeight = 0;
    int16_t specialSpriteX = 0;
    int16_t specialSpriteY = 0;
    int16_t specialMaskX = 0;
    int16_t specialMaskY = 0;
    int16_t specialKind = 0;
    bool specialFalling = false;
    int16_t specialPoints = 0;
    int32_t effectFrames = 0;
    int16_t specialSpeed = 0;
    bool effectActive = false;
    bool strobeShown = false;
    int16_t specialCountdown = 0;
    int32_t score = 0;
    int16_t resetKeyDelay = 0;
    int16_t lives = 0;
    int16_t level = 0;
    int16_t stage = 0;
    int16_t captionFrames = 0;
    int16_t strobeTicks = 0;
};

// Locals of one PlayStage call, shared by the steps of a frame. Every stage
// starts them afresh.
struct StageLocals {
    bool paused = true;
    int16_t pauseKeyDelay = kPauseDelayAtStageStart;
    int16_t hitStreak = 0;
    int32_t frameStart = 0;
    bool brickDrawn = false;
};

// Bonus item kinds, the values of specialKind.
enum SpecialKind : int16_t {
    extraLife = 1,
    drunkenBall = 2,
    points500 = 3,
    points1000 = 4,
    points2000 = 5,
    points5000 = 6,
    strobeBall = 7,
};

}  // namespace game
