// Bonus items: when one starts and of what kind, its fall and catch, what it
// gives, the drunken and strobe effects and the caption.

#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "RulesFixture.h"

namespace game::testing {
namespace {

using Op = platform::fake::FakeSurface::Op;
using OpKind = platform::fake::FakeSurface::Kind;

class Specials : public RulesFixture {
protected:
    // An item of the given kind falling at (x, y).
    void Falling(int16_t kind, int16_t x, int16_t y) {
        g.state.specialKind = kind;
        g.state.specialX = x;
        g.state.specialY = y;
        g.state.specialFalling = true;
    }
    std::vector<Op> Prints() const {
        std::vector<Op> prints;
        for (const Op& op : fp.surface.ops) {
            if (op.kind == OpKind::Print) prints.push_back(op);
        }
        return prints;
    }
};

TEST_F(Specials, CountdownStartsAnItemWhenItReachesZero) {
    const int64_t draws = fp.random.draws;
    g.state.specialCountdown = 2;
    g.CountDownSpecial();
    EXPECT_EQ(g.state.specialCountdown, 1);
    EXPECT_FALSE(g.state.specialFalling);
    EXPECT_EQ(fp.random.draws, draws);

    fp.random.scripted = {0.0, 0.0};
    g.CountDownSpecial();
    EXPECT_TRUE(g.state.specialFalling);
    EXPECT_EQ(g.state.specialY, 10);
    EXPECT_EQ(g.state.specialCountdown, 1000);
    EXPECT_EQ(fp.random.draws, draws + 2);
}

TEST_F(Specials, ItemDueWhileOneFallsOrAnEffectRunsIsSkipped) {
    struct Case {
        bool falling, effect;
    };
    for (const Case c : {Case{true, false}, Case{false, true}, Case{true, true}}) {
        SetUp();
        g.state.specialFalling = c.falling;
        g.state.effectActive = c.effect;
        g.state.specialY = 200;
        g.state.specialCountdown = 1;
        const int64_t draws = fp.random.draws;
        g.CountDownSpecial();
        EXPECT_EQ(g.state.specialCountdown, 1000);
        EXPECT_EQ(fp.random.draws, draws) << "no item started";
        EXPECT_EQ(g.state.specialY, 200);
    }
}

TEST_F(Specials, SpawnedKindFollowsTheDrawFoldingEightToTwelveOntoTwoToSix) {
    struct Case {
        double r;
        int16_t kind;
    };
    const Case cases[] = {
        {0.0, 1},      {0.5 / 12, 1},  {1.5 / 12, 2},  {2.5 / 12, 3},  {3.5 / 12, 4},
        {4.5 / 12, 5}, {5.5 / 12, 6},  {6.5 / 12, 7},  {7.5 / 12, 2},  {8.5 / 12, 3},
        {9.5 / 12, 4}, {10.5 / 12, 5}, {11.5 / 12, 6}, {0.9999999, 6},
    };
    // Each kind's picture in the sheet, by kind 1..7, written out.
    const std::pair<int16_t, int16_t> corners[8] = {{},        {0, 110}, {25, 110}, {50, 110},
                                                    {25, 135}, {0, 135}, {52, 85},  {50, 135}};
    for (const Case& c : cases) {
        SetUp();
        fp.random.scripted = {0.5, c.r};
        g.SpawnSpecial();
        EXPECT_EQ(g.state.specialKind, c.kind) << "r " << c.r;
        EXPECT_EQ(std::make_pair(g.state.specialSpriteX, g.state.specialSpriteY), corners[c.kind])
            << "r " << c.r;
    }
}

// A player tells the seven kinds apart by their pictures: each spawns with
// a corner of its own in the sheet, none of them the items' mask.
TEST_F(Specials, EveryKindFallsWithAPictureOfItsOwn) {
    std::set<std::pair<int, int>> corners;
    for (int kind = extraLife; kind <= strobeBall; ++kind) {
        SetUp();
        fp.random.scripted = {0.5, (kind - 0.5) / 12};
        g.SpawnSpecial();
        ASSERT_EQ(g.state.specialKind, kind);
        EXPECT_TRUE(corners.emplace(g.state.specialSpriteX, g.state.specialSpriteY).second)
            << "kind " << kind;
    }
    EXPECT_EQ(corners.size(), 7u);
    EXPECT_EQ(corners.count({g.state.specialMaskX, g.state.specialMaskY}), 0u) << "no item shows its mask";
}

TEST_F(Specials, SpawnSetsPointsOnlyForPointsKindsAndEffectLengthOnlyForEffects) {
    struct Case {
        double r;
        int16_t points;
        int32_t effectFrames;
    };
    const Case cases[] = {
        {0.5 / 12, 77, 9},    // extra life: neither is set
        {1.5 / 12, 77, 750},  // drunken ball
        {2.5 / 12, 500, 9},  {3.5 / 12, 1000, 9}, {4.5 / 12, 2000, 9},
        {5.5 / 12, 5000, 9}, {6.5 / 12, 77, 750},  // strobe ball
    };
    for (const Case& c : cases) {
        SetUp();
        g.state.specialPoints = 77;
        g.state.effectFrames = 9;
        fp.random.scripted = {0.5, c.r};
        g.SpawnSpecial();
        EXPECT_EQ(g.state.specialPoints, c.points) << "kind " << g.state.specialKind;
        EXPECT_EQ(g.state.effectFrames, c.effectFrames) << "kind " << g.state.specialKind;
    }
}

TEST_F(Specials, StrobeSpawnShowsTheBallAndRestartsItsBlink) {
    g.state.strobeShown = false;
    g.state.strobeTicks = 9;
    fp.random.scripted = {0.5, 6.5 / 12};
    g.SpawnSpecial();
    EXPECT_TRUE(g.state.strobeShown);
    EXPECT_EQ(g.state.strobeTicks, 0);
}

TEST_F(Specials, ItemStartsBetweenTenAndFiveHundredFour) {
    struct Case {
        double r;
        int16_t x;
    };
    for (const Case c : {Case{0.0, 10}, Case{0.5, 257}, Case{0.9999999, 504}}) {
        fp.random.scripted = {c.r, 0.0};
        g.SpawnSpecial();
        EXPECT_EQ(g.state.specialX, c.x) << "r " << c.r;
    }
}

// Frame f of the fall counts the start frame as 1. The paddle is under the
// item only in frame f; the item must be caught exactly for f in 178..188.
TEST_F(Specials, ItemCanBeCaughtOnlyInFrames178To188OfItsFall) {
    for (int f = 170; f <= 195; ++f) {
        SetUp();
        g.state.specialCountdown = 1;
        fp.random.scripted = {0.5, 2.5 / 12};  // points500 at x 257
        bool caught = false;
        for (int frame = 1; frame <= 200 && !caught; ++frame) {
            g.state.paddleX = frame == f ? 230 : 10;  // 10..90 is far from 257..282
            const int32_t before = g.state.score;
            g.CountDownSpecial();
            g.FallSpecial();
            g.CatchSpecial();
            caught = g.state.score == before + 500;
            if (caught) {
                EXPECT_EQ(frame, f);
            }
        }
        EXPECT_EQ(caught, f >= 178 && f <= 188) << "frame " << f;
        EXPECT_FALSE(g.state.specialFalling);
    }
}

// Edges that only touch catch the item; at y 386 the catch comes before the
// floor test, which takes an item not caught there.
TEST_F(Specials, EdgesThatOnlyTouchCatchTheItem) {
    // Paddle 230..310 x, 390..405 y; the item is 25 square.
    struct Case {
        int16_t x, y, paddleX;
        bool caught, fallingAfter;
    };
    const Case cases[] = {
        {205, 370, 230, true, false}, {204, 370, 230, false, true},  // right edge on the paddle's left edge
        {310, 370, 230, true, false}, {311, 370, 230, false, true},  // left edge on the paddle's right edge
        {257, 365, 230, true, false}, {257, 364, 230, false, true},  // bottom edge on the paddle's top
        {257, 386, 230, true, false}, {257, 386, 10, false, false},  // at the floor
    };
    for (const Case& c : cases) {
        SetUp();
        g.state.lives = 2;
        g.state.paddleX = c.paddleX;
        Falling(extraLife, c.x, c.y);
        g.CatchSpecial();
        EXPECT_EQ(g.state.lives, c.caught ? 3 : 2) << "item at " << c.x << "," << c.y;
        EXPECT_EQ(g.state.captionFrames, c.caught ? 20 : 0) << "item at " << c.x << "," << c.y;
        EXPECT_EQ(g.state.specialFalling, c.fallingAfter) << "item at " << c.x << "," << c.y;
    }
}

TEST_F(Specials, ExtraLifeAtNoLivesLeftGivesOneAndTheNextLostBallPlaysOn) {
    g.state.lives = 0;
    Falling(extraLife, 257, 380);
    ASSERT_EQ(g.RunFrame(), FrameEnd::Continue);
    EXPECT_EQ(g.state.lives, 1);
    EXPECT_FALSE(g.state.effectActive);
    g.state.ballY = 395;
    g.state.ballDY = 6;
    EXPECT_EQ(g.RunFrame(), FrameEnd::Continue);
    EXPECT_EQ(g.state.lives, 0);
    EXPECT_TRUE(fp.messages.shown.empty()) << "no game over";
    EXPECT_FALSE(g.state.quitGame);
}

// Only the paddle catches: a ball inside the item and a brick behind it
// change nothing for it or for them.
TEST_F(Specials, TheItemTouchesNeitherTheBallNorTheBricks) {
    Falling(points500, 120, 175);  // over brick 63 (114..166, y 170..190)
    g.state.specialPoints = 500;
    g.state.ballX = 125;
    g.state.ballY = 206;  // 200 after its step: inside the item, clear of the bricks
    g.state.ballDX = 0;
    ASSERT_EQ(g.RunFrame(), FrameEnd::Continue);
    EXPECT_TRUE(g.state.specialFalling);
    EXPECT_EQ(g.state.specialY, 177);
    EXPECT_EQ(g.state.score, 0);
    EXPECT_EQ(g.state.ballY, 200);
    EXPECT_EQ(g.state.ballDX, 0);
    EXPECT_EQ(g.state.ballDY, -6);
    for (int i = 1; i <= BrickTable::kCount; ++i) EXPECT_TRUE(g.state.bricks[i].alive) << "brick " << i;
}

TEST_F(Specials, PointsItemAddsExactlyItsPoints) {
    g.locals.hitStreak = 5;
    g.state.score = 1234;
    Falling(points5000, 257, 380);
    g.state.specialPoints = 5000;
    g.CatchSpecial();
    EXPECT_EQ(g.state.score, 6234);
    EXPECT_EQ(g.locals.hitStreak, 5);
}

TEST_F(Specials, CaughtEffectStartsAndItemStaysWhereItWasCaught) {
    Falling(drunkenBall, 240, 375);
    g.CatchSpecial();
    EXPECT_TRUE(g.state.effectActive);
    EXPECT_FALSE(g.state.specialFalling);
    EXPECT_EQ(g.state.specialX, 240);
    EXPECT_EQ(g.state.specialY, 375);
}

TEST_F(Specials, CaptionCountdownRestsAtZero) {
    struct Case {
        int16_t before, after;
    };
    for (const Case c : {Case{21, 20}, Case{1, 0}, Case{0, 0}}) {
        g.state.specialFalling = false;
        g.state.captionFrames = c.before;
        g.CatchSpecial();
        EXPECT_EQ(g.state.captionFrames, c.after);
    }
}

TEST_F(Specials, FallMovesOnlyAFallingItem) {
    g.state.specialY = 100;
    g.FallSpecial();
    EXPECT_EQ(g.state.specialY, 100);
    g.state.specialFalling = true;
    g.FallSpecial();
    EXPECT_EQ(g.state.specialY, 102);
}

TEST_F(Specials, DrunkenJitterRunsFromMinusFourToPlusFiveAndTheEffectEnds) {
    g.state.effectActive = true;
    g.state.specialKind = drunkenBall;
    g.state.effectFrames = 2;
    g.state.ballX = 200;
    g.state.ballY = 200;
    fp.random.scripted = {0.0, 0.9999999, 0.45, 0.5};
    g.StepEffect();
    EXPECT_EQ(g.state.ballX, 196);
    EXPECT_EQ(g.state.ballY, 205);
    EXPECT_TRUE(g.state.effectActive);
    g.StepEffect();
    EXPECT_EQ(g.state.ballX, 196);  // floor(0.45 * 10 - 4) = 0
    EXPECT_EQ(g.state.ballY, 206);
    EXPECT_FALSE(g.state.effectActive);
    EXPECT_EQ(g.state.ballDX, 1);  // its own step is untouched
    EXPECT_EQ(g.state.ballDY, -6);
}

TEST_F(Specials, DrunkenJitterCanPushTheBallThroughTheFloor) {
    g.state.effectActive = true;
    g.state.specialKind = drunkenBall;
    g.state.effectFrames = 100;
    g.state.ballX = 512;
    g.state.ballY = 388;
    g.state.ballDX = 0;
    g.state.ballDY = 2;
    fp.random.scripted = {0.9999999, 0.9999999};  // +5, +5
    g.MoveBall();
    ASSERT_FALSE(g.BallAtFloor());  // bottom 405 would bounce on the paddle
    g.StepEffect();
    g.ApplySideWalls();
    EXPECT_EQ(g.state.ballX, 515);  // the wall sees the jittered place
    EXPECT_TRUE(g.BallAtFloor());
}

TEST_F(Specials, StrobeBallHidesInEffectFramesTwelveToTwentyThree) {
    fp.random.scripted = {0.5, 6.5 / 12};
    g.SpawnSpecial();
    Falling(strobeBall, 240, 380);
    g.CatchSpecial();
    ASSERT_TRUE(g.state.effectActive);
    ASSERT_TRUE(g.state.strobeShown);  // the catch frame shows the ball
    for (int frame = 1; frame <= 750; ++frame) {
        g.StepEffect();
        const bool shown = ((frame / 12) % 2) == 0;  // 1-11 shown, 12-23 hidden, ...
        if (frame < 750) {
            ASSERT_EQ(g.state.strobeShown, shown) << "effect frame " << frame;
            ASSERT_TRUE(g.state.effectActive) << "effect frame " << frame;
        }
    }
    EXPECT_FALSE(g.state.effectActive);
}

TEST_F(Specials, CaptionNamesTheKindInRed) {
    struct Case {
        int16_t kind, points;
        const char* text;
    };
    const Case cases[] = {
        {extraLife, 0, "+1 Life"},          {drunkenBall, 0, "Drunken Ball"},
        {strobeBall, 0, "Strobe Ball"},     {points500, 500, "+500 Points"},
        {points1000, 1000, "+1000 Points"}, {points2000, 2000, "+2000 Points"},
        {points5000, 5000, "+5000 Points"},
    };
    for (const Case& c : cases) {
        SetUp();
        fp.surface.ops.clear();
        g.state.specialKind = c.kind;
        g.state.specialPoints = c.points;
        g.state.specialX = 123;
        g.state.specialY = 380;
        g.state.captionFrames = 20;
        g.DrawSpecialCaption();
        const auto prints = Prints();
        ASSERT_EQ(prints.size(), 1u);
        EXPECT_EQ(prints[0].text, c.text);
        EXPECT_EQ(prints[0].x, 123);
        EXPECT_EQ(prints[0].colour, (platform::Rgb{255, 30, 30}));
        EXPECT_EQ(fp.surface.ForeColor(), (platform::Rgb{0, 0, 0}));
    }
}

TEST_F(Specials, CaptionRisesAPixelEveryTwoFramesToNineAbove) {
    struct Case {
        int16_t frames;
        int32_t rise;
    };
    const Case cases[] = {{20, 0}, {19, 0}, {18, 1}, {17, 1}, {10, 5}, {2, 9}, {1, 9}};
    for (const Case& c : cases) {
        SetUp();
        fp.surface.ops.clear();
        g.state.specialKind = extraLife;
        g.state.specialX = 40;
        g.state.specialY = 370;
        g.state.captionFrames = c.frames;
        g.DrawSpecialCaption();
        const auto prints = Prints();
        ASSERT_EQ(prints.size(), 1u);
        EXPECT_EQ(prints[0].y, 370 - c.rise) << "captionFrames " << c.frames;
    }
}

// Through the whole frame: paused frames do not count, the first item starts
// in the 500th running frame and the next 1000 running frames after it.
TEST_F(Specials, FirstItemStartsInThe500thRunningFrameAndTheNextThousandLater) {
    StartGame();
    for (int n = 0; n < 30; ++n) ASSERT_EQ(g.RunFrame(), FrameEnd::Continue);  // paused
    ASSERT_EQ(g.state.specialCountdown, 500);
    g.locals.paused = false;
    int started[2] = {0, 0};
    int items = 0;
    for (int frame = 1; frame <= 1600 && items < 2; ++frame) {
        // Keep the ball in open space so only the countdown matters.
        g.state.ballX = 263;
        g.state.ballY = 250;
        g.state.ballDY = -6;
        if (frame == 1 || frame == 501) fp.random.scripted = {0.0, 0.0};  // at x 10, away from the paddle
        const bool before = g.state.specialFalling;
        ASSERT_EQ(g.RunFrame(), FrameEnd::Continue);
        if (!before && g.state.specialFalling) {
            started[items++] = frame;
            EXPECT_EQ(g.state.specialY, 12) << "already fallen once in its first frame";
            EXPECT_EQ(g.state.specialCountdown, 1000);
        }
    }
    EXPECT_EQ(started[0], 500);
    EXPECT_EQ(started[1], 1500);
}

}  // namespace
}  // namespace game::testing
