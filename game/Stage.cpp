// A new game, the stage set-up with its three wall shapes, the serve and the
// level title.

#include <array>

#include "game/Checked.h"
#include "game/Game.h"
#include "game/Rules.h"
#include "game/Text.h"

namespace game {

namespace {

constexpr int kRows = 7;
constexpr int kColumns = 10;
constexpr int16_t kWallTop = 50;        // base y of the top row
constexpr int16_t kWallLeft = 10;       // x of the first column
constexpr int16_t kBrickWidth = 52;
constexpr int16_t kBrickHeight = 20;
constexpr int16_t kServePaddleX = 230;  // the paddle's middle at x 270
constexpr int16_t kServePaddleY = 390;
constexpr int16_t kServeBallX = 263;

// y offsets by column for the arch (stage 2) and the valley (stage 3).
constexpr std::array<int16_t, kColumns> kArchOffsets{40, 20, 0, -20, -40, -40, -20, 0, 20, 40};
constexpr std::array<int16_t, kColumns> kValleyOffsets{-40, -20, 0, 20, 40, 40, 20, 0, -20, -40};

// Image row and points of a brick by the base y of its row.
struct RowLook {
    int16_t spriteY;
    int16_t points;
};
constexpr RowLook LookOfRow(int16_t baseY) {
    if (baseY <= 60) return {90, 500};
    if (baseY <= 100) return {70, 300};
    if (baseY <= 140) return {50, 200};
    return {30, 100};
}

}  // namespace

void Game::NewGame() {
    GameState& s = state;
    s.paddleHeight = 15;
    s.paddleSpriteY = 15;
    s.ballWidth = 15;
    s.ballHeight = 15;
    s.score = 0;
    s.lives = 3;
    s.level = 1;
    s.stage = 1;
    s.paddleWidth = 80;
    s.paddleSpriteX = 0;
    s.paddleMaskX = 0;
    s.paddleMaskY = 0;
    s.deflectScale = 8;
    s.ballSpriteX = 52;
    s.ballSpriteY = 45;
    s.ballMaskX = 52;
    s.ballMaskY = 30;
    s.ballMaxDX = 8;

    int index = 1;
    for (int row = 0; row < kRows; ++row) {
        const auto baseY = static_cast<int16_t>(kWallTop + kBrickHeight * row);
        const RowLook look = LookOfRow(baseY);
        for (int column = 0; column < kColumns; ++column, ++index) {
            Brick& b = s.bricks[index];
            b.width = kBrickWidth;
            b.height = kBrickHeight;
            b.alive = true;
            b.spriteX = 0;
            b.captionOn = false;
            b.spriteY = look.spriteY;
            b.points = look.points;
        }
    }

    s.specialFalling = false;
    s.effectActive = false;
    s.specialWidth = 25;
    s.specialHeight = 25;
    s.specialMaskX = 52;
    s.specialMaskY = 60;
    s.specialSpeed = 2;
    s.specialCountdown = 500;
}

// The serve, shared by the stage start and a lost ball that leaves lives.
void Game::ServeBall() {
    GameState& s = state;
    s.paddleX = kServePaddleX;
    s.paddleY = kServePaddleY;
    s.ballDY = Neg16(Add16(Mul16(2, s.level), 4));
    // Nearest integer with halves to even, whatever the rounding mode: the
    // ball leaves to the right more often than to the left.
    const double r = services_.random.Rnd();
    int16_t dx = RoundHalfEven16(r * 6.0 - 3.0);
    if (dx == 0) dx = 1;
    s.ballDX = dx;
    s.ballX = kServeBallX;
    s.ballY = Sub16(Sub16(s.paddleY, s.ballHeight), 1);
}

void Game::BuildWall() {
    GameState& s = state;
    int index = 1;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column, ++index) {
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
        b.y = Add16(b.y, offsets[static_cast<std::size_t>((i - 1) % kColumns)]);
    }
}

void Game::SetUpStage() {
    GameState& s = state;
    if (s.newGame) {
        NewGame();
        s.newGame = false;
    }
    ServeBall();
    s.paddleSpeed = Add16(Mul16(2, s.level), 6);
    BuildWall();
    s.specialFalling = false;
    s.effectActive = false;
    s.captionFrames = 0;
    locals = StageLocals{};
    locals.hitStreak = 0;
    locals.paused = true;
    locals.pauseKeyDelay = kPauseDelayAtStageStart;
    ShowLevelTitle();
}

void Game::ShowLevelTitle() {
    platform::Surface& surface = services_.surface;
    surface.Cls();
    const double keptSize = surface.FontSize();
    surface.FontSize(24.0);
    surface.CurrentX(200);
    surface.CurrentY(190);
    Text title;
    title.Append("Level: ").AppendInt(state.level).Append(".").AppendInt(state.stage);
    surface.Print(title.View());
    surface.FontSize(keptSize);
    // The title reaches the screen when this wait first handles the window's events.
    WaitUntil(platform::TickPlus(services_.clock.GetTickCount(), kTitleMillis));
}

}  // namespace game
