#pragma once
// Constants of play for motion, bricks and bonus items, named once. The field's
// walls live in Game.h beside the frame timings.

#include <cmath>
#include <cstdint>
#include <limits>

#include "game/Checked.h"
#include "game/GameState.h"

namespace game {

// --- bricks ---
constexpr int16_t kStreakBonus = 50;        // extra points per brick already broken in this streak
constexpr int16_t kEffectPointsFactor = 2;  // brick points are doubled while a ball effect runs
constexpr int16_t kBrickCaptionLife = 21;   // ageing steps after which a streak caption goes off

// --- bonus items ---
constexpr int16_t kSpecialInterval = 1000;  // frames from one item's start to the next one due
constexpr int32_t kEffectLength = 750;      // frames a drunken or strobe effect lasts
constexpr int16_t kSpecialStartY = 10;      // top edge of a new item
constexpr double kSpecialSpanX = 495;       // a new item's x is drawn from kSpecialMinX..kSpecialMinX+494
constexpr double kSpecialMinX = 10;
constexpr double kKindDraw = 12;            // the kind is drawn from 1..12 ...
constexpr int16_t kKindFoldAbove = 7;       // ... and values above 7 ...
constexpr int16_t kKindFold = 6;            // ... fold down by 6 onto 2..6
constexpr int16_t kCaptionFramesAtCatch = 21;  // the catch frame's own countdown takes it to 20
constexpr int16_t kCaptionRiseFrom = 20;    // the caption rises half a pixel per frame below this
constexpr double kJitterSpan = 10;          // drunken jitter per axis: -4..+5 pixels
constexpr double kJitterLowest = -4;
constexpr int16_t kStrobeBlinkFrames = 12;  // frames between two flips of the strobe ball

// Item image in the sprite sheet and points, by kind 1..7 (index 0 unused).
struct SpecialLook {
    int16_t spriteX;
    int16_t spriteY;
    int16_t points;  // 0 for the kinds that give no points
};
constexpr SpecialLook kSpecialLooks[8] = {
    {0, 0, 0},       // unused
    {0, 110, 0},     // extraLife
    {25, 110, 0},    // drunkenBall
    {50, 110, 500},  // points500
    {25, 135, 1000}, // points1000
    {0, 135, 2000},  // points2000
    {52, 85, 5000},  // points5000
    {50, 135, 0},    // strobeBall
};

// A real number brought to int16 by floor, saturating (and counting the
// overflow) outside the width; NaN counts as an overflow and gives 0.
inline int16_t Floor16(double value) {
    const double f = std::floor(value);
    if (!(f >= std::numeric_limits<int16_t>::min() && f <= std::numeric_limits<int16_t>::max())) {
        ++overflowCount;
        if (f > 0) return std::numeric_limits<int16_t>::max();
        if (f < 0) return std::numeric_limits<int16_t>::min();
        return 0;
    }
    return static_cast<int16_t>(f);
}

// Nearest whole number with a half going to the even neighbour, written out
// rather than left to the floating-point rounding mode in force.
inline int16_t RoundHalfEven16(double value) {
    const double f = std::floor(value);
    const double fraction = value - f;
    double rounded = f;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(f, 2.0) != 0.0)) rounded = f + 1.0;
    return Floor16(rounded);
}

}  // namespace game
