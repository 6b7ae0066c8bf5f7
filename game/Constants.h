#pragma once
// The constants of play, each named once: the field, the frame's timings, the
// wall and the serve, the bonus items, the status panel, the colours and the
// sprite sheet's rectangles. Change a number of the game here.

#include <array>
#include <cstdint>

#include "platform/Platform.h"

namespace game {

// --- the field ---
constexpr int16_t kLeftWall = 10;    // the ball and paddle stop at this x
constexpr int16_t kRightWall = 530;  // ... and at this x (their right edges)
constexpr int16_t kCeiling = 10;     // the ball bounces down at this y
constexpr int16_t kFloor = 410;      // a ball whose bottom edge reaches this y is lost

// --- timings ---
constexpr int32_t kFrameMillis = 22;             // shortest frame period
constexpr int32_t kTitleMillis = 2000;           // how long the level title shows
constexpr int16_t kKeyDelayFrames = 20;          // frames between two honoured P or R presses
constexpr int16_t kPauseDelayAtStageStart = 10;  // P is honoured after 10 frames of a stage
constexpr int16_t kStagesPerLevel = 3;           // the third stage cleared starts the next level

// --- a new game ---
constexpr int16_t kStartLives = 3;         // spare balls at the start
constexpr int16_t kDeflectScale = 8;       // the paddle's largest change to ballDX
constexpr int16_t kBallMaxDX = 8;          // ballDX is cut to this each frame
constexpr int16_t kSpecialSpeed = 2;       // pixels a bonus item falls per frame
constexpr int16_t kFirstSpecialDue = 500;  // frames until the first item of a game

// --- the wall ---
constexpr int kWallRows = 7;
constexpr int kWallColumns = 10;
constexpr int16_t kWallTop = 50;   // base y of the top row
constexpr int16_t kWallLeft = 10;  // x of the first column
constexpr int16_t kBrickWidth = 52;
constexpr int16_t kBrickHeight = 20;
// y offsets by column for the arch (stage 2) and the valley (stage 3).
constexpr std::array<int16_t, kWallColumns> kArchOffsets{40, 20, 0, -20, -40, -40, -20, 0, 20, 40};
constexpr std::array<int16_t, kWallColumns> kValleyOffsets{-40, -20, 0, 20, 40, 40, 20, 0, -20, -40};

// --- the serve ---
constexpr int16_t kServePaddleX = 230;  // the paddle's middle at x 270
constexpr int16_t kServePaddleY = 390;
constexpr int16_t kServeBallX = 263;
constexpr double kServeSpan = 6.0;  // ballDX is drawn from -3..+3 (0 becomes 1)
constexpr double kServeOffset = 3.0;
constexpr int16_t kServeSpeedPerLevel = 2;  // the serve goes up at 2 x level + 4 pixels a frame
constexpr int16_t kServeSpeedBase = 4;
constexpr int16_t kPaddleSpeedPerLevel = 2;  // the paddle moves 2 x level + 6 pixels a frame
constexpr int16_t kPaddleSpeedBase = 6;

// --- bricks ---
constexpr int16_t kStreakBonus = 50;        // extra points per brick already broken in this streak
constexpr int16_t kEffectPointsFactor = 2;  // brick points are doubled while a ball effect runs
constexpr int16_t kBrickCaptionLife = 21;   // ageing steps after which a streak caption goes off
constexpr int16_t kBrickCaptionDX = 10;     // a streak caption starts this far right of its brick

// --- bonus items ---
constexpr int16_t kSpecialInterval = 1000;  // frames from one item's start to the next one due
constexpr int32_t kEffectLength = 750;      // frames a drunken or strobe effect lasts
constexpr int16_t kSpecialStartY = 10;      // top edge of a new item
constexpr double kSpecialSpanX = 495;       // a new item's x is drawn from kSpecialMinX..kSpecialMinX+494
constexpr double kSpecialMinX = 10;
constexpr double kKindDraw = 12;               // the kind is drawn from 1..12 ...
constexpr int16_t kKindFoldAbove = 7;          // ... and values above 7 ...
constexpr int16_t kKindFold = 6;               // ... fold down by 6 onto 2..6
constexpr int16_t kCaptionFramesAtCatch = 21;  // the catch frame's own countdown takes it to 20
constexpr int16_t kCaptionRiseFrom = 20;       // the caption rises half a pixel per frame below this
constexpr double kJitterSpan = 10;             // drunken jitter per axis: -4..+5 pixels
constexpr double kJitterLowest = -4;
constexpr int16_t kStrobeBlinkFrames = 12;  // frames between two flips of the strobe ball

// --- the status panel, the key legend and the texts on the field ---
struct TextPlace {
    int16_t x;
    int16_t y;
};
constexpr TextPlace kScoreLabelAt{544, 88};  // "Point Total:"
constexpr TextPlace kScoreAt{540, 108};      // the score, a blank before it
constexpr TextPlace kLivesAt{544, 146};      // "Lives: n"
constexpr TextPlace kLevelAt{544, 186};      // "Level: l.s"
constexpr TextPlace kLegendAt{544, 220};     // "--Keys------------", its lines below
constexpr int16_t kLegendLineHeight = 15;    // between two lines of the key legend
constexpr TextPlace kPausedAt{226, 195};     // "Paused"
constexpr TextPlace kTitleAt{200, 190};      // the level title "Level: l.s"
constexpr double kPausedFontSize = 18.0;     // points of "Paused"
constexpr double kTitleFontSize = 24.0;      // points of the level title
constexpr double kLegendSizeDrop = 2.0;      // the key legend is two points smaller
// The background's three light panels the status texts print on, corners included
// (score, lives, level); the play-field picture and its plain stand-in draw them here.
struct PanelBox {
    int16_t left;
    int16_t top;
    int16_t right;
    int16_t bottom;
};
constexpr std::array<PanelBox, 3> kStatusPanels{{
    {537, 76, 633, 132},
    {537, 137, 633, 171},
    {537, 176, 633, 211},
}};

// --- colours ---
constexpr platform::Rgb kTextColour{0, 0, 0};        // the field's outline and the panel's texts
constexpr platform::Rgb kCaptionRed{255, 30, 30};    // streak and bonus item captions
constexpr platform::Rgb kLegendGrey{200, 200, 200};  // the key legend

// --- the sprite sheet ---
// The one statement of the sheet's layout: the game copies from these
// rectangles, the painter (tools/) draws into them, the tests check them.
constexpr int16_t kSheetWidth = 80;
constexpr int16_t kSheetHeight = 160;
// A picture in the sheet: its top-left corner there and its size.
struct SheetRect {
    int16_t x;
    int16_t y;
    int16_t width;
    int16_t height;
};
constexpr SheetRect kPaddleSprite{0, 15, 80, 15};
constexpr SheetRect kPaddleMask{0, 0, 80, 15};
// The paddle mask is black but for white wedges at its bottom corners: this
// many pixels of each side in its last four rows.
constexpr std::array<int16_t, 4> kPaddleMaskNotches{4, 8, 11, 13};
constexpr SheetRect kBallSprite{52, 45, 15, 15};
constexpr SheetRect kBallMask{52, 30, 15, 15};
constexpr SheetRect kSpecialMask{52, 60, 25, 25};  // one mask for every kind of item
constexpr int16_t kBrickSpriteX = 0;  // brick images, kBrickWidth x kBrickHeight, are one column ...
// ... of rows by the base y of the wall row: image row and points.
struct BrickLook {
    int16_t lowestBaseY;  // the look of wall rows whose base y is at most this
    int16_t spriteY;
    int16_t points;
};
constexpr std::array<BrickLook, 4> kBrickLooks{{
    {60, 90, 500},
    {100, 70, 300},
    {140, 50, 200},
    {INT16_MAX, 30, 100},
}};

// Item image in the sprite sheet and points, by kind 1..7 (index 0 unused).
struct SpecialLook {
    int16_t spriteX;
    int16_t spriteY;
    int16_t points;  // 0 for the kinds that give no points
};
constexpr SpecialLook kSpecialLooks[8] = {
    {0, 0, 0},        // unused
    {0, 110, 0},      // extraLife
    {25, 110, 0},     // drunkenBall
    {50, 110, 500},   // points500
    {25, 135, 1000},  // points1000
    {0, 135, 2000},   // points2000
    {52, 85, 5000},   // points5000
    {50, 135, 0},     // strobeBall
};

}  // namespace game
