// Composes the whole play field in the window's image every frame, paused or
// not, and shows it with one refresh, so the screen never shows half a frame.

#include "game/Arithmetic.h"
#include "game/Game.h"
#include "game/Text.h"

namespace game {

namespace {

using platform::RasterOp;

// A mask copied with AND, then its image with OR: the thing shows where its
// mask is black and the background where it is white.
void DrawMasked(platform::Surface& surface, int32_t x, int32_t y, int32_t w, int32_t h, int32_t maskX,
                int32_t maskY, int32_t spriteX, int32_t spriteY) {
    surface.BitBlt(x, y, w, h, maskX, maskY, RasterOp::SRCAND);
    surface.BitBlt(x, y, w, h, spriteX, spriteY, RasterOp::SRCPAINT);
}

void PrintAt(platform::Surface& surface, TextPlace at, std::string_view text, int32_t line = 0) {
    surface.CurrentX(at.x);
    surface.CurrentY(at.y + line * kLegendLineHeight);
    surface.Print(text);
}

}  // namespace

bool Game::DrawFrame() {
    platform::Surface& surface = services_.surface;
    const GameState& s = state;

    surface.Cls();                                                                           // 1
    surface.RectangleOutline(kLeftWall - 1, kCeiling - 1, kRightWall, kFloor, kTextColour);  // 2

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
            surface.CurrentX(Add32(b.x, kBrickCaptionDX));
            surface.CurrentY(Sub32(b.y, rise));
            surface.ForeColor(kCaptionRed);
            Text caption;
            caption.AppendNumber(b.captionValue);
            surface.Print(caption.View());
            surface.ForeColor(kTextColour);
        }
    }

    if (s.specialFalling) {  // 6
        DrawMasked(surface, s.specialX, s.specialY, s.specialWidth, s.specialHeight, s.specialMaskX,
                   s.specialMaskY, s.specialSpriteX, s.specialSpriteY);
    }
    if (s.captionFrames > 0) DrawSpecialCaption();  // 7

    if (!locals.brickDrawn) return false;  // 8: the stage is cleared; the frame loop moves on

    PrintAt(surface, kScoreLabelAt, "Point Total:");  // 9
    {
        Text score;
        score.AppendNumber(s.score);
        PrintAt(surface, kScoreAt, score.View());
    }
    {
        Text lives;
        lives.Append("Lives: ").AppendInt(s.lives);
        PrintAt(surface, kLivesAt, lives.View());
    }
    {
        Text level;
        level.Append("Level: ").AppendInt(s.level).Append(".").AppendInt(s.stage);
        PrintAt(surface, kLevelAt, level.View());
    }

    surface.FontSize(surface.FontSize() - kLegendSizeDrop);  // 10
    surface.ForeColor(kLegendGrey);
    PrintAt(surface, kLegendAt, "--Keys------------");
    PrintAt(surface, kLegendAt, "(P)ause", 1);
    PrintAt(surface, kLegendAt, "(R)eset", 2);
    PrintAt(surface, kLegendAt, "(Q)uit", 3);
    surface.FontSize(surface.FontSize() + kLegendSizeDrop);
    surface.ForeColor(kTextColour);

    if (locals.paused) {  // 11
        const double keptSize = surface.FontSize();
        surface.FontSize(kPausedFontSize);
        PrintAt(surface, kPausedAt, "Paused");
        surface.FontSize(keptSize);
    }

    surface.Refresh();  // 12
    return true;
}

}  // namespace game
