// The frame as it lands in the window's image: the order of the drawing, the
// masked copies, the captions, the stage-clearing frame, the pause notice and
// the strobe's dark phase, through the game's own drawing over the real surface.

#include <gtest/gtest.h>

#include "TestPictures.h"

using testpics::Px;
using testpics::QtGame;

namespace {

const QRgb kCaptionRed = qRgb(game::kCaptionRed.r, game::kCaptionRed.g, game::kCaptionRed.b);

// The game with a sheet loaded: the committed one when asked and present.
struct Frame {
    QtGame g;
    explicit Frame(const QImage& background, bool committedSheet = true,
                   const QImage& sheet = testpics::SyntheticSheet())
        : g(background) {
        EXPECT_EQ(testpics::LoadSheet(g, sheet, committedSheet), "");
        g.StartStage();
    }
    // The picture as drawn so far.
    const QImage& Image() {
        g.surface.Flush();
        return g.surface.Image();
    }
    const QImage& Sheet() const { return g.surface.Sheet(); }
    game::GameState& s() { return g.game.state; }
    // What a masked copy leaves over background pixel bg.
    QRgb Masked(QRgb bg, int maskX, int maskY, int spriteX, int spriteY) const {
        return ((bg & Px(Sheet(), maskX, maskY)) | Px(Sheet(), spriteX, spriteY)) | 0xff000000u;
    }
    void KillAllBricks() {
        for (int i = 1; i <= game::BrickTable::kCount; ++i) s().bricks[i].alive = false;
    }
};

QImage Plain(QRgb c) {
    QImage image(640, 420, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

bool RegionEquals(const QImage& a, const QImage& b, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Px(a, x, y) != Px(b, x, y)) return false;
    return true;
}

int CountColour(const QImage& image, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += Px(image, x, y) == (colour | 0xff000000u);
    return n;
}

}  // namespace

TEST(FramePixels, StandingBrickCoversTheBallWhereTheyOverlap) {
    const QImage bg = testpics::TestBackground();
    Frame f(bg);
    const game::Brick& b = f.s().bricks[25];
    f.s().ballX = static_cast<int16_t>(b.x + 45);  // over bricks 25, 26, 35 and 36
    f.s().ballY = static_cast<int16_t>(b.y + 10);
    f.s().bricks[36].alive = false;  // and the bare background where 36 stood
    ASSERT_TRUE(f.g.game.DrawFrame());
    const auto& s = f.s();
    for (int j = 0; j < s.ballHeight; ++j) {
        for (int i = 0; i < s.ballWidth; ++i) {
            const int x = s.ballX + i, y = s.ballY + j;
            const game::Brick* top = nullptr;  // the last standing brick drawn over the pixel
            for (int k = 1; k <= game::BrickTable::kCount; ++k) {
                const game::Brick& o = s.bricks[k];
                if (o.alive && x >= o.x && x < o.x + o.width && y >= o.y && y < o.y + o.height) top = &o;
            }
            const QRgb expected = top ? Px(f.Sheet(), top->spriteX + x - top->x, top->spriteY + y - top->y)
                                      : f.Masked(Px(bg, x, y), s.ballMaskX + i, s.ballMaskY + j,
                                                 s.ballSpriteX + i, s.ballSpriteY + j);
            ASSERT_EQ(Px(f.Image(), x, y), expected) << i << "," << j;
        }
    }
}

TEST(FramePixels, CaptionLiesOverLowerIndexedBricksAndUnderHigherIndexedOnes) {
    const QImage bg = testpics::TestBackground();
    Frame f(bg);
    auto& bricks = f.s().bricks;
    game::Brick& dead = bricks[12];
    dead.alive = false;
    dead.captionOn = true;
    dead.captionValue = 32767;  // " 32767": wide enough to reach both neighbours
    dead.captionAge = 0;
    const int textX = dead.x + 10;
    bricks[11].x = static_cast<int16_t>(textX + 20);  // lower index: under the caption's right part
    bricks[11].y = dead.y;
    bricks[13].x = static_cast<int16_t>(textX - 52 + 14);  // higher index: over its left part
    bricks[13].y = dead.y;
    ASSERT_TRUE(f.g.game.DrawFrame());

    const game::Brick& over = bricks[13];
    for (int j = 0; j < over.height; ++j)
        for (int i = 0; i < over.width; ++i)
            ASSERT_EQ(Px(f.Image(), over.x + i, over.y + j),
                      Px(f.Sheet(), over.spriteX + i, over.spriteY + j));
    const game::Brick& under = bricks[11];
    const QRect underRect(under.x, under.y, under.width, under.height);
    EXPECT_GT(CountColour(f.Image(), underRect, kCaptionRed), 5);
    // Between the two bricks the caption shows over the dead brick's place.
    EXPECT_GT(CountColour(f.Image(), QRect(over.x + over.width, dead.y, under.x - over.x - over.width, 16),
                          kCaptionRed),
              0);
}

TEST(FramePixels, CaptionClimbsHalfItsAgeRoundedToEven) {
    struct Case {
        int16_t age;
        int rise;
    } cases[] = {{0, 0}, {1, 0}, {3, 2}, {5, 2}, {9, 4}, {20, 10}};
    for (const Case& c : cases) {
        Frame f(Plain(qRgb(255, 255, 255)));
        f.KillAllBricks();
        f.s().bricks[70].alive = true;  // keeps the stage running
        game::Brick& b = f.s().bricks[44];
        b.captionOn = true;
        b.captionValue = 100;
        b.captionAge = c.age;
        f.g.game.DrawFrame();
        Frame reference(Plain(qRgb(255, 255, 255)));
        reference.KillAllBricks();
        reference.s().bricks[70].alive = true;
        reference.s().bricks[44].captionOn = true;
        reference.s().bricks[44].captionValue = 100;
        reference.s().bricks[44].captionAge = 0;
        reference.s().bricks[44].y = static_cast<int16_t>(b.y - c.rise);
        reference.g.game.DrawFrame();
        EXPECT_EQ(f.Image(), reference.Image()) << "age " << c.age;
    }
}

TEST(FramePixels, PaddleOverLightBackgroundIsABlackBarShowingTheBackgroundOnlyAtTheNotches) {
    const QRgb white = qRgb(255, 255, 255);
    Frame f(Plain(white));
    ASSERT_TRUE(f.g.game.DrawFrame());
    const auto& s = f.s();
    int notchPixels[15] = {};
    for (int j = 0; j < s.paddleHeight; ++j) {
        for (int i = 0; i < s.paddleWidth; ++i) {
            const QRgb mask = Px(f.Sheet(), s.paddleMaskX + i, s.paddleMaskY + j);
            const QRgb image = Px(f.Sheet(), s.paddleSpriteX + i, s.paddleSpriteY + j);
            const QRgb shown = Px(f.Image(), s.paddleX + i, s.paddleY + j);
            if (mask == white) {
                ++notchPixels[j];
                EXPECT_EQ(shown, white) << i << "," << j;
                EXPECT_TRUE(i < 14 || i >= 66) << "background inside the bar at " << i << "," << j;
            } else {
                EXPECT_EQ(shown, image) << i << "," << j;  // the bar: the trapezoid or black
            }
        }
    }
    const int expected[15] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 16, 22, 26};  // 4, 8, 11, 13 per side
    for (int j = 0; j < 15; ++j) EXPECT_EQ(notchPixels[j], expected[j]) << "row " << j;
    EXPECT_EQ(Px(f.Image(), s.paddleX + 40, s.paddleY),
              qRgb(0, 0, 0));  // black above the trapezoid's top row
}

TEST(FramePixels, SheetPixelBreakingTheMaskConventionShowsBackgroundOrImage) {
    QImage sheet = testpics::SyntheticSheet();
    ASSERT_EQ(Px(sheet, 52, 30),
              qRgb(255, 255, 255));                  // the ball mask's corner lets the background through
    sheet.setPixel(52, 45, qRgb(0x40, 0x80, 0x01));  // yet the image is not black there
    const QRgb bg = qRgb(0x90, 0x10, 0x20);
    Frame f(Plain(bg), false, sheet);
    f.s().ballX = 300;
    f.s().ballY = 300;
    ASSERT_TRUE(f.g.game.DrawFrame());
    EXPECT_EQ(Px(f.Image(), 300, 300), qRgb(0xD0, 0x90, 0x21));
}

TEST(FramePixels, StageClearingFrameDrawsNoStatusPanelAndIsNotShown) {
    const QImage bg = testpics::TestBackground();
    Frame f(bg);
    f.KillAllBricks();
    f.s().score = 4321;
    const int64_t refreshes = f.g.surface.RefreshCount();
    EXPECT_FALSE(f.g.game.DrawFrame());
    EXPECT_EQ(f.g.surface.RefreshCount(), refreshes);
    EXPECT_TRUE(RegionEquals(f.Image(), bg, QRect(531, 0, 109, 420)));   // panel, legend: untouched
    EXPECT_TRUE(RegionEquals(f.Image(), bg, QRect(220, 190, 120, 40)));  // no "Paused"
    EXPECT_FALSE(RegionEquals(f.Image(), bg, QRect(263, 374, 15, 15)));  // the ball is drawn
    EXPECT_EQ(f.s().stage, 1);  // drawing leaves the advance to the frame loop
}

TEST(FramePixels, RunningFrameShowsStatusPanelAndLegendAndRefreshesOnce) {
    const QImage bg = testpics::TestBackground();
    Frame f(bg);
    f.g.game.locals.paused = false;
    const int64_t refreshes = f.g.surface.RefreshCount();
    EXPECT_TRUE(f.g.game.DrawFrame());
    EXPECT_EQ(f.g.surface.RefreshCount(), refreshes + 1);
    EXPECT_GT(CountColour(f.Image(), QRect(540, 88, 94, 120), qRgb(0, 0, 0)), 100);       // panel texts
    EXPECT_GT(CountColour(f.Image(), QRect(544, 220, 90, 60), qRgb(200, 200, 200)), 60);  // legend
    EXPECT_DOUBLE_EQ(f.g.surface.FontSize(), 9.75);
    EXPECT_EQ(f.g.surface.ForeColor(), (platform::Rgb{0, 0, 0}));
}

TEST(FramePixels, PausedNoticeShowsOnlyWhilePaused) {
    const QImage bg = testpics::TestBackground();
    const QRect notice(226, 195, 110, 34);
    Frame f(bg);
    f.g.game.locals.paused = true;
    ASSERT_TRUE(f.g.game.DrawFrame());
    EXPECT_GT(CountColour(f.Image(), notice, qRgb(0, 0, 0)), 150);
    EXPECT_DOUBLE_EQ(f.g.surface.FontSize(), 9.75);
    f.g.game.locals.paused = false;
    ASSERT_TRUE(f.g.game.DrawFrame());
    EXPECT_TRUE(RegionEquals(f.Image(), bg, notice));
}

TEST(FramePixels, StrobeDarkPhaseDrawsNothingOfTheBall) {
    const QImage bg = testpics::TestBackground();
    struct Case {
        bool effect;
        int16_t kind;
        bool shown;
        bool ballVisible;
    } cases[] = {
        {true, game::strobeBall, false, false},
        {true, game::strobeBall, true, true},
        {false, game::strobeBall, false, true},  // the effect has ended
        {true, game::drunkenBall, false, true},  // another effect never hides it
    };
    for (const Case& c : cases) {
        Frame f(bg);
        f.s().ballX = 300;
        f.s().ballY = 300;
        f.s().effectActive = c.effect;
        f.s().specialKind = c.kind;
        f.s().strobeShown = c.shown;
        ASSERT_TRUE(f.g.game.DrawFrame());
        EXPECT_EQ(!RegionEquals(f.Image(), bg, QRect(300, 300, 15, 15)), c.ballVisible)
            << c.effect << " " << c.kind << " " << c.shown;
    }
}

TEST(FramePixels, FallingItemAndItsCaptionAreDrawnOverBallAndPaddle) {
    const QImage bg = testpics::TestBackground();
    Frame f(bg);
    auto& s = f.s();
    s.specialFalling = true;
    s.specialKind = game::extraLife;
    s.specialSpriteX = 0;
    s.specialSpriteY = 110;
    s.specialX = static_cast<int16_t>(s.ballX - 5);
    s.specialY = static_cast<int16_t>(s.ballY - 5);
    ASSERT_TRUE(f.g.game.DrawFrame());
    // Where the token is solid, the ball under it is gone.
    const int cx = s.specialX + 12, cy = s.specialY + 12;
    EXPECT_EQ(Px(f.Image(), cx, cy), Px(f.Sheet(), s.specialSpriteX + 12, s.specialSpriteY + 12));
}
