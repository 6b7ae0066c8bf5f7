// NewGame, the stage set-up, the walls of the three stages, the serve and the title.

#include <map>

#include "GameHarness.h"

namespace game::testing {
namespace {

using Stage = GameHarness;

TEST_F(Stage, NewGameStartsLevelOneWithThreeLivesAndAFullWall) {
    StartGame();
    const GameState& s = g.state;
    EXPECT_EQ(s.score, 0);
    EXPECT_EQ(s.lives, 3);
    EXPECT_EQ(s.level, 1);
    EXPECT_EQ(s.stage, 1);
    EXPECT_FALSE(s.newGame);
    EXPECT_FALSE(s.specialFalling);
    EXPECT_FALSE(s.effectActive);
    EXPECT_EQ(s.captionFrames, 0);
    EXPECT_EQ(s.specialCountdown, 500);
    const int16_t pointsByRow[] = {500, 300, 300, 200, 200, 100, 100};
    const int16_t spriteYByRow[] = {90, 70, 70, 50, 50, 30, 30};
    for (int i = 1; i <= 70; ++i) {
        const Brick& b = s.bricks[i];
        EXPECT_TRUE(b.alive) << i;
        EXPECT_FALSE(b.captionOn) << i;
        EXPECT_EQ(b.points, pointsByRow[(i - 1) / 10]) << i;
        EXPECT_EQ(b.spriteY, spriteYByRow[(i - 1) / 10]) << i;
    }
}

// The flat wall fills the field from wall to wall in ten columns: each brick
// starts where its left neighbour ends, each row where the row above ends,
// so a ball finds no gap and no overlap.
TEST_F(Stage, FirstStageWallSpansTheFieldWithoutGapsOrOverlaps) {
    StartGame();
    const BrickTable& bricks = g.state.bricks;
    for (int row = 0; row < kWallRows; ++row) {
        const Brick& first = bricks[row * kWallColumns + 1];
        const Brick& last = bricks[(row + 1) * kWallColumns];
        EXPECT_EQ(first.x, kLeftWall) << "row " << row;
        EXPECT_EQ(last.x + last.width, kRightWall) << "row " << row;
        for (int column = 1; column < kWallColumns; ++column) {
            const int i = row * kWallColumns + column + 1;
            EXPECT_EQ(bricks[i].x, bricks[i - 1].x + bricks[i - 1].width) << "brick " << i;
            EXPECT_EQ(bricks[i].y, bricks[i - 1].y) << "brick " << i;
        }
        if (row == 0) {
            EXPECT_EQ(first.y, kWallTop);
        } else {
            const Brick& above = bricks[(row - 1) * kWallColumns + 1];
            EXPECT_EQ(first.y, above.y + above.height) << "row " << row;
        }
    }
}

TEST_F(Stage, WallShapesMoveOnlyYAndKeepEachRowsLook) {
    struct Case {
        int16_t stage;
        int brick;
        int16_t y;
    };
    const Case cases[] = {
        {1, 1, 50},   {1, 5, 50},   {1, 61, 170}, {2, 1, 90}, {2, 5, 10},
        {2, 61, 210}, {2, 70, 210}, {3, 1, 10},   {3, 5, 90}, {3, 65, 210},
    };
    StartGame();
    for (const Case& c : cases) {
        g.state.stage = c.stage;
        g.SetUpStage();
        EXPECT_EQ(g.state.bricks[c.brick].y, c.y) << "stage " << c.stage << " brick " << c.brick;
        EXPECT_EQ(g.state.bricks[c.brick].points, c.brick <= 10 ? 500 : 100) << c.brick;
    }
    // The shapes bend the flat wall: the x never change, and the third and
    // eighth columns stay as they stand on the first stage.
    g.state.stage = 1;
    g.SetUpStage();
    const BrickTable flat = g.state.bricks;
    for (const int16_t stage : std::initializer_list<int16_t>{2, 3, 2, 1}) {
        g.state.stage = stage;
        g.SetUpStage();
        for (int i = 1; i <= BrickTable::kCount; ++i) {
            EXPECT_EQ(g.state.bricks[i].x, flat[i].x) << "stage " << stage << " brick " << i;
            const int column = (i - 1) % 10 + 1;
            if (column == 3 || column == 8 || stage == 1) {
                EXPECT_EQ(g.state.bricks[i].y, flat[i].y) << "stage " << stage << " brick " << i;
            }
        }
    }
}

TEST_F(Stage, SpeedsGrowWithTheLevel) {
    struct Case {
        int16_t level, paddleSpeed, ballDY;
    };
    StartGame();
    for (const Case c : {Case{1, 8, -6}, Case{2, 10, -8}, Case{5, 16, -14}}) {
        g.state.level = c.level;
        g.SetUpStage();
        EXPECT_EQ(g.state.paddleSpeed, c.paddleSpeed);
        EXPECT_EQ(g.state.ballDY, c.ballDY);
        EXPECT_EQ(g.state.paddleX, 230);
        EXPECT_EQ(g.state.paddleY, 390);
        EXPECT_EQ(g.state.ballX, 263);
        EXPECT_EQ(g.state.ballY, 374);
    }
}

TEST_F(Stage, ServeRoundsHalvesToEvenAndNeverGivesZero) {
    struct Case {
        double r;
        int16_t ballDX;
    };
    // r*6-3: 0.0->-3, 0.5/6 -> -2.5 -> -2, 2.5/6 -> -0.5 -> 0 -> 1, 3.5/6 -> 0.5 -> 0 -> 1,
    // 4.5/6 -> 1.5 -> 2, 5.5/6 -> 2.5 -> 2, just under 1 -> 3.
    const Case cases[] = {{0.0, -3},    {0.5 / 6, -2}, {2.5 / 6, 1},  {3.5 / 6, 1},
                          {4.5 / 6, 2}, {5.5 / 6, 2},  {0.999999, 3}, {0.5, 1}};
    StartGame();
    for (int mode : kRoundingModes) {
        const RoundingMode rounding(mode);
        for (const Case& c : cases) {
            fp.random.scripted = {c.r};
            g.SetUpStage();
            EXPECT_EQ(g.state.ballDX, c.ballDX) << "r = " << c.r << ", rounding mode " << mode;
        }
    }
}

TEST_F(Stage, ServeGoesRightMoreOftenThanLeft) {
    StartGame();
    std::map<int, int> counts;
    constexpr int kDraws = 24000;
    for (int n = 0; n < kDraws; ++n) {
        g.ServeBall();
        ++counts[g.state.ballDX];
    }
    EXPECT_EQ(counts.count(0), 0u);
    const std::map<int, double> expected{{-3, 1 / 12.0}, {-2, 1 / 6.0}, {-1, 1 / 6.0},
                                         {1, 1 / 3.0},   {2, 1 / 6.0},  {3, 1 / 12.0}};
    for (const auto& [dx, p] : expected) {
        EXPECT_NEAR(counts[dx] / double(kDraws), p, 0.015) << "ballDX " << dx;
    }
    EXPECT_EQ(counts.size(), expected.size());
}

TEST_F(Stage, StageStartClearsBonusStateButKeepsTheCountdownAndScore) {
    StartGame();
    g.state.specialFalling = true;
    g.state.effectActive = true;
    g.state.captionFrames = 12;
    g.state.specialCountdown = 123;
    g.state.score = 4242;
    g.state.lives = 1;
    g.state.resetKeyDelay = 7;
    g.state.bricks[17].alive = false;
    g.state.bricks[17].captionOn = true;
    g.locals.hitStreak = 5;
    g.SetUpStage();
    EXPECT_FALSE(g.state.specialFalling);
    EXPECT_FALSE(g.state.effectActive);
    EXPECT_EQ(g.state.captionFrames, 0);
    EXPECT_EQ(g.state.specialCountdown, 123);
    EXPECT_EQ(g.state.score, 4242);
    EXPECT_EQ(g.state.lives, 1);
    EXPECT_EQ(g.state.resetKeyDelay, 7);
    EXPECT_TRUE(g.state.bricks[17].alive);
    EXPECT_TRUE(g.state.bricks[17].captionOn) << "a stage start leaves captions alone";
    EXPECT_EQ(g.locals.hitStreak, 0);
    EXPECT_TRUE(g.locals.paused);
    EXPECT_EQ(g.locals.pauseKeyDelay, 10);
}

TEST_F(Stage, LevelTitleShowsForTwoSecondsAtItsPlaceAndSize) {
    // Also across the tick count's turn to negative numbers.
    fp.clock.now = INT32_MAX - 500;
    g.ShowLevelTitle();
    EXPECT_EQ(platform::TicksUntil(INT32_MAX - 500, fp.clock.now), 2000);

    StartGame();
    g.state.level = 12;
    g.state.stage = 3;
    fp.surface.ops.clear();
    const int32_t before = fp.clock.now;
    const int64_t eventsBefore = fp.events.doEventsCalls;
    g.ShowLevelTitle();
    EXPECT_GE(platform::TicksUntil(before, fp.clock.now), 2000);
    EXPECT_GE(fp.events.doEventsCalls, eventsBefore + 1) << "events are handled at least once";
    ASSERT_GE(fp.surface.ops.size(), 2u);
    EXPECT_EQ(fp.surface.ops[0].kind, platform::fake::FakeSurface::Kind::Cls);
    const auto& print = fp.surface.ops[1];
    EXPECT_EQ(print.kind, platform::fake::FakeSurface::Kind::Print);
    EXPECT_EQ(print.text, "Level: 12.3");
    EXPECT_EQ(print.x, 200);
    EXPECT_EQ(print.y, 190);
    EXPECT_DOUBLE_EQ(print.fontSize, 24.0);
    EXPECT_DOUBLE_EQ(fp.surface.FontSize(), 9.75) << "the window's size is restored";
    EXPECT_EQ(fp.surface.refreshes, 0) << "the wait, not a refresh, shows the title";
}

TEST_F(Stage, FormLoadSeedsFromTheTimeOfDayAndLoadsTheSheetBesideTheProgram) {
    fp.clock.timeOfDay = 45296.25;
    std::string error;
    EXPECT_TRUE(g.Form_Load(error));
    EXPECT_DOUBLE_EQ(fp.random.lastSeed, 45296.25);
    EXPECT_EQ(fp.surface.loadedPath, "/prog/Images/bitmaps.bmp");

    platform::fake::FakePlatform other;
    other.surface.loadSucceeds = false;
    Game trailing(other.Services(), "/odd dir/");
    EXPECT_FALSE(trailing.Form_Load(error));
    EXPECT_EQ(other.surface.loadedPath, "/odd dir//Images/bitmaps.bmp") << "folder used as it is";
    EXPECT_NE(error.find("/odd dir//Images/bitmaps.bmp"), std::string::npos);
}

}  // namespace
}  // namespace game::testing
