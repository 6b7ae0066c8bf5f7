// The brick walk: which brick breaks, which way the ball turns, the streak
// score and the ageing of captions.

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "RulesFixture.h"

namespace game::testing {
namespace {

class Bricks : public RulesFixture {
protected:
    void Ball(int16_t x, int16_t y, int16_t dx, int16_t dy) {
        g.state.ballX = x;
        g.state.ballY = y;
        g.state.ballDX = dx;
        g.state.ballDY = dy;
    }
    int AliveCount() const {
        int n = 0;
        for (int i = 1; i <= BrickTable::kCount; ++i) n += g.state.bricks[i].alive ? 1 : 0;
        return n;
    }
};

// One brick alone stands, in each wall shape at another place: flat 65
// (x 218..270, y 170..190), arch 22 (62..114, 110..130), valley 37
// (322..374, 130..150). The ball's place is given from the brick's top left.
TEST_F(Bricks, FaceTestsDecideWhetherAndWhichWayTheBallTurns) {
    struct Case {
        const char* what;
        int16_t dx0, dy0, dx, dy;
        bool breaks;
        int16_t dxAfter, dyAfter;
    };
    const Case cases[] = {
        {"bottom edge touched exactly", 12, 20, 2, -6, true, 2, 6},
        {"top edge touched exactly", 12, -15, 2, 6, true, 2, -6},
        {"one pixel below the bottom", 12, 21, 2, -6, false, 2, -6},
        {"right face beats the bottom face", 42, 5, -3, -6, true, 3, -6},
        {"over the right edge moving right: turned by the top test", 44, 5, 3, -6, true, 3, 6},
        {"left face, moving right", -8, 5, 3, -6, true, -3, -6},
        {"left face edge at ball's right edge", -15, 5, 3, -6, true, -3, -6},
        {"left edge exactly on the right face, moving left", 52, 2, -3, -6, true, 3, -6},
        {"left edge exactly on the right face, moving right", 52, 2, 3, -6, false, 3, -6},
        {"right edge exactly on the left face, moving left", -15, 2, -3, -6, false, -3, -6},
        {"left face with the vertical centre on the last row inside", -8, 12, 3, -6, true, -3, -6},
        {"left face needs the vertical centre inside", -8, 13, 3, -6, false, 3, -6},
        {"centre just right of width, vertical centre below", 45, 15, 2, -6, false, 2, -6},
        {"centre just left of width, vertical centre below", -15, 15, -2, -6, false, -2, -6},
        {"no horizontal speed: only the third test", -8, 5, 0, -6, false, 0, -6},
        {"no horizontal speed, centre inside", -6, 5, 0, -6, true, 0, 6},
        // Corners that only touch: both centres lie outside the brick.
        {"corner touched: top left", -15, -15, 3, 6, false, 3, 6},
        {"corner touched: top right", 52, -15, -3, 6, false, -3, 6},
        {"corner touched: bottom left", -15, 20, 3, -6, false, 3, -6},
        {"corner touched: bottom right", 52, 20, -3, -6, false, -3, -6},
    };
    struct Shape {
        int16_t stage;
        int index;
    };
    for (const Shape shape : {Shape{1, 65}, Shape{2, 22}, Shape{3, 37}}) {
        for (const Case& c : cases) {
            SetUp();
            g.state.stage = shape.stage;
            g.BuildWall();
            KnockDownAll();
            Brick& b = g.state.bricks[shape.index];
            b.alive = true;
            const auto x = static_cast<int16_t>(b.x + c.dx0);
            const auto y = static_cast<int16_t>(b.y + c.dy0);
            Ball(x, y, c.dx, c.dy);
            g.HitBricks();
            SCOPED_TRACE(::testing::Message() << c.what << ", stage " << shape.stage);
            EXPECT_EQ(!b.alive, c.breaks);
            EXPECT_EQ(g.state.ballDX, c.dxAfter);
            EXPECT_EQ(g.state.ballDY, c.dyAfter);
            EXPECT_EQ(g.state.ballX, x);  // a hit never moves the ball
            EXPECT_EQ(g.state.ballY, y);
        }
    }
}

// The index counts row by row from the top left, also where the wall shape
// moves the columns up or down.
TEST_F(Bricks, OnlyTheLowestIndexBreaksWhenTheBallOverlapsSeveral) {
    struct Case {
        const char* what;
        int16_t stage, x, y, dx;
        int broken;
        int16_t dxAfter, dyAfter;
    };
    const Case cases[] = {
        // Bricks 1, 2 and 11 could all break (1 and 11 by the top test, 2 by
        // its left face); 1 goes, met by its bottom.
        {"flat: corner of bricks 1, 2 and 11", 1, 54, 62, 3, 1, 3, 6},
        // Brick 4 (166..218, y 30..50) beside brick 15 (218..270, y 30..50).
        {"arch: right face of 4, top or bottom of 15", 2, 212, 33, -3, 4, 3, -6},
        // Brick 5 (218..270, y 90..110) beside brick 14 (166..218, y 90..110):
        // 14 would be hit on its right face, 5 comes first by its bottom.
        {"valley: 5 by its bottom before 14 by its right face", 3, 212, 93, -3, 5, -3, 6},
    };
    for (const Case& c : cases) {
        SetUp();
        g.state.stage = c.stage;
        g.BuildWall();
        Ball(c.x, c.y, c.dx, -6);
        g.HitBricks();
        EXPECT_FALSE(g.state.bricks[c.broken].alive) << c.what;
        EXPECT_EQ(AliveCount(), 69) << c.what;
        EXPECT_EQ(g.state.score, 500) << c.what;  // each a top-row brick, first of its streak
        EXPECT_EQ(g.state.ballDX, c.dxAfter) << c.what;
        EXPECT_EQ(g.state.ballDY, c.dyAfter) << c.what;
    }
}

TEST_F(Bricks, AtMostOneBrickBreaksPerFrame) {
    Ball(54, 62, 3, -6);
    g.HitBricks();
    g.HitBricks();  // the same place again: the next lowest goes, one only
    EXPECT_FALSE(g.state.bricks[2].alive);
    EXPECT_TRUE(g.state.bricks[11].alive);
    EXPECT_EQ(AliveCount(), 68);
}

TEST_F(Bricks, StreakScoresGrowByFiftyAndDoubleDuringAnEffect) {
    struct Case {
        bool effect;
        int32_t scores[3];
    };
    for (const Case& c : {Case{false, {100, 150, 200}}, Case{true, {200, 300, 400}}}) {
        SetUp();
        g.state.effectActive = c.effect;
        const int16_t captions[3] = {0, 50, 100};
        for (int n = 0; n < 3; ++n) {
            const int index = 61 + n;  // row 7: 100 points each, x 10 + 52n
            const int32_t before = g.state.score;
            Ball(static_cast<int16_t>(20 + 52 * n), 190, 0, -6);
            g.HitBricks();
            ASSERT_FALSE(g.state.bricks[index].alive);
            EXPECT_EQ(g.state.score - before, c.scores[n]) << "hit " << n + 1;
            const Brick& b = g.state.bricks[index];
            EXPECT_EQ(b.captionOn, n > 0) << "hit " << n + 1;
            if (n > 0) {
                EXPECT_EQ(b.captionValue, captions[n]) << "caption shows the bonus undoubled";
                EXPECT_EQ(b.captionAge, 0);
            }
            EXPECT_EQ(g.locals.hitStreak, n + 1);
        }
    }
}

TEST_F(Bricks, PaddleBounceBetweenHitsResetsTheStreak) {
    Ball(20, 190, 0, -6);
    g.HitBricks();
    Ball(72, 190, 0, -6);
    g.HitBricks();
    ASSERT_EQ(g.state.score, 250);
    Ball(263, 380, 0, 6);
    g.BouncePaddle();
    Ball(124, 190, 0, -6);
    g.HitBricks();
    EXPECT_EQ(g.state.score, 350);
    EXPECT_FALSE(g.state.bricks[63].captionOn);
}

TEST_F(Bricks, RowsKeepTheirPointsWhereverTheWallMovesThem) {
    g.state.stage = 2;
    g.BuildWall();
    // Brick 61 (row 7, column 1) sits at y 210 in the arch, still worth 100.
    Ball(20, 230, 0, -6);
    g.HitBricks();
    EXPECT_FALSE(g.state.bricks[61].alive);
    EXPECT_EQ(g.state.score, 100);
}

TEST_F(Bricks, CaptionsAgeUpToTheHitOnlyAndNotTheHitBrick) {
    KnockDownAll();
    for (int i : {3, 40}) {
        g.state.bricks[i].captionOn = true;
        g.state.bricks[i].captionAge = 5;
    }
    // A standing brick whose caption is still on from the stage before.
    Brick& hit = g.state.bricks[20];  // x 478..530, y 70..90
    hit.alive = true;
    hit.captionOn = true;
    hit.captionValue = 150;
    hit.captionAge = 7;
    Ball(490, 90, 0, -6);
    g.HitBricks();
    ASSERT_FALSE(hit.alive);
    EXPECT_EQ(g.state.bricks[3].captionAge, 6);   // before the hit: aged
    EXPECT_EQ(g.state.bricks[40].captionAge, 5);  // after the hit: left alone
    EXPECT_TRUE(hit.captionOn);                   // first of a streak: no new caption
    EXPECT_EQ(hit.captionAge, 7);                 // and the hit brick is not aged
    EXPECT_EQ(hit.captionValue, 150);
}

TEST_F(Bricks, CaptionGoesOffAtItsTwentyFirstAgeingAlsoOnAStandingBrick) {
    Ball(263, 300, 0, -6);  // touches nothing
    struct Case {
        bool alive;
        int16_t age;
        bool onAfter;
    };
    for (const Case c :
         {Case{false, 19, true}, Case{false, 20, false}, Case{true, 20, false}, Case{true, 3, true}}) {
        Brick& b = g.state.bricks[33];
        b.alive = c.alive;
        b.captionOn = true;
        b.captionAge = c.age;
        g.HitBricks();
        EXPECT_EQ(b.captionAge, c.age + 1);
        EXPECT_EQ(b.captionOn, c.onAfter) << "age " << c.age << " alive " << c.alive;
    }
}

TEST_F(Bricks, ScoreStopsAtTheInt32Limit) {
    g.state.score = std::numeric_limits<int32_t>::max() - 50;
    Ball(20, 190, 0, -6);
    g.HitBricks();
    EXPECT_EQ(g.state.score, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(overflowCount, 1);
    overflowCount = 0;  // expected here; the fixture checks for strays
}

}  // namespace
}  // namespace game::testing
