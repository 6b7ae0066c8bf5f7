// Composes the whole play field in the window's image every frame, paused or
// not, and shows it with one refresh, so the screen never shows half a frame.


#include "game/Checked.h"
#include "game/Game.h"
#include "game/Rules.h"
#include "game/Text.h"

namespace game {

namespace {

using platform::RasterOp;
using platform::Rgb;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kCaptionRed{255, 30, 30};
constexpr Rgb kLegendGrey{200, 200, 200};
constexpr double kPausedFontSize = 18.0;
constexpr double kLegendSizeDrop = 2.0;  // the key legend is two points smaller

// A mask copied with AND, then its image with OR: the thing shows where its
// mask is black and the background where it is white.
void DrawMasked(platform::Surface& surface, int32_t x, int32_t y, int32_t w, int32_t h,
                int32_t maskX, int32_t maskY, int32_t spriteX, int32_t spriteY) {
    surface.BitBlt(x, y, w, h, maskX, maskY, RasterOp::SRCAND);
    surface.BitBlt(x, y, w, h, spriteX, spriteY, RasterOp::SRCPAINT);
}

void PrintAt(platform::Surface& surface, int32_t x, int32_t y, std::string_view text) {
    surface.CurrentX(x);
    surface.CurrentY(y);
    surface.Print(text);
}

}  // namespace

bool Game::DrawFrame() {
    platform::Surface& surface = services_.surface;
    const GameState& s = state;

    surface.Cls();                                     // 1
    surface.RectangleOutline(9, 9, 530, 410, kBlack);  // 2

    const bool strobeDark = s.effectActive && s.specialKind == strobeBall && !s.strobeShown;
    if (!strobeDark) {  // 3
        DrawMasked(surface, s.ballX, s.ballY, s.ballWidth, s.ballHeight, s.ballMaskX, s.ballMaskY,
                   s.ballSpriteX, s.ballSpriteY);
    }
    DrawMasked(surface, s.paddleX, s.paddleY, s.paddleWidth, s.paddleHeight,  // 4
               s.paddleMaskX, s.paddleMaskY, s.paddleSpriteX, s.paddleSpriteY);

    locals.brickDrawn = false;  // 5
    for (int i = 1; i <= BrickTable::kCount; ++i) {
        const Brick& b = s.bricks[i];
        if (b.alive) {
            surface.BitBlt(b.x, b.y, b.width, b.height, b.spriteX, b.spriteY, RasterOp::SRCCOPY);
            locals.brickDrawn = true;
        } else if (b.captionOn) {
            // The caption climbs by half its age, halves to even.
            const auto rise = int32_t{RoundHalfEven16(b.captionAge / 2.0)};
            surface.CurrentX(Add32(b.x, 10));
            surface.CurrentY(Sub32(b.y, rise));
            surface.ForeColor(kCaptionRed);
            Text caption;
            caption.AppendNumber(b.captionValue);
            surface.Print(caption.View());
            surface.ForeColor(kBlack);
        }
    }

    if (s.specialFalling) {  // 6
        DrawMasked(surface, s.specialX, s.specialY, s.specialWidth, s.specialHeight,
                   s.specialMaskX, s.specialMaskY, s.specialSpriteX, s.specialSpriteY);
    }
    if (s.captionFrames > 0) DrawSpecialCaption();  // 7

    if (!locals.brickDrawn) {  // 8: the stage is cleared; this frame is never shown
        if (state.stage == 3) {
            state.stage = 1;
            state.level = Add16(state.level, 1);
        } else {
            state.stage = Add16(state.stage, 1);
        }
        return false;
    }

    PrintAt(surface, 544, 88, "Point Total:");  // 9
    {
        Text score;
        score.AppendNumber(s.score);
        PrintAt(surface, 540, 108, score.View());
    }
    {
        Text lives;
        lives.Append("Lives: ").AppendInt(s.lives);
        PrintAt(surface, 544, 146, lives.View());
    }
    {
        Text level;
        level.Append("Level: ").AppendInt(s.level).Append(".").AppendInt(s.stage);
        PrintAt(surface, 544, 186, level.View());
    }

    surface.FontSize(surface.FontSize() - kLegendSizeDrop);  // 10
    surface.ForeColor(kLegendGrey);
    PrintAt(surface, 544, 220, "--Keys------------");
    PrintAt(surface, 544, 235, "(P)ause");
    PrintAt(surface, 544, 250, "(R)eset");
    PrintAt(surface, 544, 265, "(Q)uit");
    surface.FontSize(surface.FontSize() + kLegendSizeDrop);
    surface.ForeColor(kBlack);

    if (locals.paused) {  // 11
        const double keptSize = surface.FontSize();
        surface.FontSize(kPausedFontSize);
        PrintAt(surface, 226, 195, "Paused");
        surface.FontSize(keptSize);
    }

    surface.Refresh();  // 12
    return true;
}

}  // namespace game
