// A new game, the stage set-up with its three wall shapes, the serve, the
// level title and the advance to the next stage.

#include <array>

#include "game/Arithmetic.h"
#include "game/Game.h"
#include "game/Text.h"

namespace game {

namespace {

// Image row and points of a brick by the base y of its row.
constexpr BrickLook LookOfRow(int16_t baseY) {
    for (const BrickLook& look : kBrickLooks) {
        if (baseY <= look.lowestBaseY) return look;
    }
    return kBrickLooks.back();
}

}  // namespace

void Game::NewGame() {
    GameState& s = state;
    s.paddleHeight = kPaddleSprite.height;
    s.paddleSpriteY = kPaddleSprite.y;
    s.ballWidth = kBallSprite.width;
    s.ballHeight = kBallSprite.height;
    s.score = 0;
    s.lives = kStartLives;
    s.level = 1;
    s.stage = 1;
    s.paddleWidth = kPaddleSprite.width;
    s.paddleSpriteX = kPaddleSprite.x;
    s.paddleMaskX = kPaddleMask.x;
    s.paddleMaskY = kPaddleMask.y;
    s.deflectScale = kDeflectScale;
    s.ballSpriteX = kBallSprite.x;
    s.ballSpriteY = kBallSprite.y;
    s.ballMaskX = kBallMask.x;
    s.ballMaskY = kBallMask.y;
    s.ballMaxDX = kBallMaxDX;

    int index = 1;
    for (int row = 0; row < kWallRows; ++row) {
        const auto baseY = static_cast<int16_t>(kWallTop + kBrickHeight * row);
        const BrickLook look = LookOfRow(baseY);
        for (int column = 0; column < kWallColumns; ++column, ++index) {
            Brick& b = s.bricks[index];
            b.width = kBrickWidth;
            b.height = kBrickHeight;
            b.alive = true;
            b.spriteX = kBrickSpriteX;
            b.captionOn = false;
            b.spriteY = look.spriteY;
            b.points = look.points;
        }
    }

    s.specialFalling = false;
    s.effectActive = false;
    s.specialWidth = kSpecialMask.width;
    s.specialHeight = kSpecialMask.height;
    s.specialMaskX = kSpecialMask.x;
    s.specialMaskY = kSpecialMask.y;
    s.specialSpeed = kSpecialSpeed;
    s.specialCountdown = kFirstSpecialDue;
}

// The serve, shared by the stage start and a lost ball that leaves lives.
void Game::ServeBall() {
    GameState& s = state;
    s.paddleX = kServePaddleX;
    s.paddleY = kServePaddleY;
    s.ballDY = Neg16(Add16(Mul16(kServeSpeedPerLevel, s.level), kServeSpeedBase));
    // Nearest integer with halves to even, whatever the rounding mode: the
    // ball leaves to the right more often than to the left.
    const double r = services_.random.Rnd();
    int16_t dx = RoundHalfEven16(r * kServeSpan - kServeOffset);
    if (dx == 0) dx = 1;
    s.ballDX = dx;
    s.ballX = kServeBallX;
    s.ballY = Sub16(Sub16(s.paddleY, s.ballHeight), 1);
}

void Game::BuildWall() {
    GameState& s = state;
    int index = 1;
    for (int row = 0; row < kWallRows; ++row) {
        for (int column = 0; column < kWallColumns; ++column, ++index) {
            Brick& b = s.bricks[index];
            b.x = static_cast<int16_t>(kWallLeft + kBrickWidth * column);
            b.y = static_cast<int16_t>(kWallTop + kBrickHeight * row);
            b.alive = true;
        }
    }
    if (s.stage != 2 && s.stage != 3) return;
    const auto& offsets = s.stage == 2 ? kArchOffsets : kValleyOffsets;
    for (int i = 1; i <= BrickTable::kCount; ++i) {
        Brick& b = s.bricks[i];
        b.y = Add16(b.y, offsets[static_cast<std::size_t>((i - 1) % kWallColumns)]);
    }
}

void Game::SetUpStage() {
    GameState& s = state;
    if (s.newGame) {
        NewGame();
        s.newGame = false;
    }
    ServeBall();
    s.paddleSpeed = Add16(Mul16(kPaddleSpeedPerLevel, s.level), kPaddleSpeedBase);
    BuildWall();
    s.specialFalling = false;
    s.effectActive = false;
    s.captionFrames = 0;
    locals = StageLocals{};
    ShowLevelTitle();
}

void Game::ShowLevelTitle() {
    platform::Surface& surface = services_.surface;
    surface.Cls();
    const double keptSize = surface.FontSize();
    surface.FontSize(kTitleFontSize);
    surface.CurrentX(kTitleAt.x);
    surface.CurrentY(kTitleAt.y);
    Text title;
    title.Append("Level: ").AppendInt(state.level).Append(".").AppendInt(state.stage);
    surface.Print(title.View());
    surface.FontSize(keptSize);
    // The title reaches the screen when this wait first handles the window's events.
    WaitUntil(platform::TickPlus(services_.clock.GetTickCount(), kTitleMillis));
}

// The stage was cleared: three stages make a level.
void Game::AdvanceStage() {
    if (state.stage == kStagesPerLevel) {
        state.stage = 1;
        state.level = Add16(state.level, 1);
    } else {
        state.stage = Add16(state.stage, 1);
    }
}

}  // namespace game
