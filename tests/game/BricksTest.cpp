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

// Brick 65 alone stands: x 218..270, y 170..190 (row 7, column 5).
TEST_F(Bricks, FaceTestsDecideWhetherAndWhichWayTheBallTurns) {
    struct Case {
        const char* what;
        int16_t x, y, dx, dy;
        bool breaks;
        int16_t dxAfter, dyAfter;
    };
    const Case cases[] = {
        {"bottom edge touched exactly", 230, 190, 2, -6, true, 2, 6},
        {"top edge touched exactly", 230, 155, 2, 6, true, 2, -6},
        {"one pixel below the bottom", 230, 191, 2, -6, false, 2, -6},
        {"right face beats the bottom face", 260, 175, -3, -6, true, 3, -6},
        {"over the right edge moving right: turned by the top test", 262, 175, 3, -6, true, 3, 6},
        {"left face, moving right", 210, 175, 3, -6, true, -3, -6},
        {"left face edge at ball's right edge", 203, 175, 3, -6, true, -3, -6},
        {"left face with the vertical centre on the last row inside", 210, 182, 3, -6, true, -3, -6},
        {"left face needs the vertical centre inside", 210, 183, 3, -6, false, 3, -6},
        {"centre just right of width, vertical centre below", 263, 185, 2, -6, false, 2, -6},
        {"centre just left of width, vertical centre below", 203, 185, -2, -6, false, -2, -6},
        {"no horizontal speed: only the third test", 210, 175, 0, -6, false, 0, -6},
        {"no horizontal speed, centre inside", 212, 175, 0, -6, true, 0, 6},
    };
    for (const Case& c : cases) {
        SetUp();
        KnockDownAll();
        g.state.bricks[65].alive = true;
        Ball(c.x, c.y, c.dx, c.dy);
        g.HitBricks();
        EXPECT_EQ(!g.state.bricks[65].alive, c.breaks) << c.what;
        EXPECT_EQ(g.state.ballDX, c.dxAfter) << c.what;
        EXPECT_EQ(g.state.ballDY, c.dyAfter) << c.what;
        EXPECT_EQ(g.state.ballX, c.x) << c.what;  // a hit never moves the ball
        EXPECT_EQ(g.state.ballY, c.y) << c.what;
    }
}

TEST_F(Bricks, LowestIndexBreaksWhenTheBallOverlapsSeveral) {
    // Flat wall: the ball at the corner of bricks 1, 2 and 11 could break
    // any of them (1 and 11 by the top test, 2 by its left face).
    Ball(54, 62, 3, -6);  // centre (61.5, 69.5)
    g.HitBricks();
    EXPECT_FALSE(g.state.bricks[1].alive);
    EXPECT_TRUE(g.state.bricks[2].alive);
    EXPECT_TRUE(g.state.bricks[11].alive);
    EXPECT_TRUE(g.state.bricks[12].alive);
    EXPECT_EQ(AliveCount(), 69);
    EXPECT_EQ(g.state.score, 500);
    EXPECT_EQ(g.state.ballDY, 6);  // brick 1 was met by its bottom
    EXPECT_EQ(g.state.ballDX, 3);
}

TEST_F(Bricks, LowestIndexBreaksAlsoInTheArch) {
    g.state.stage = 2;
    g.BuildWall();
    // Brick 4 (166..218, y 30..50) beside brick 15 (218..270, y 30..50).
    ASSERT_EQ(g.state.bricks[4].y, 30);
    ASSERT_EQ(g.state.bricks[15].y, 30);
    Ball(212, 33, -3, -6);  // right face of 4, bottom-or-top of 15
    g.HitBricks();
    EXPECT_FALSE(g.state.bricks[4].alive);
    EXPECT_TRUE(g.state.bricks[15].alive);
    EXPECT_EQ(g.state.ballDX, 3);
    EXPECT_EQ(g.state.ballDY, -6);
}

TEST_F(Bricks, LowerIndexWinsOverAnEarlierFaceInTheValley) {
    g.state.stage = 3;
    g.BuildWall();
    // Brick 5 (218..270, y 90..110) beside brick 14 (166..218, y 90..110).
    ASSERT_EQ(g.state.bricks[5].y, 90);
    ASSERT_EQ(g.state.bricks[14].y, 90);
    // Brick 14 would be hit on its right face; brick 5 comes first, by its bottom.
    Ball(212, 93, -3, -6);
    g.HitBricks();
    EXPECT_FALSE(g.state.bricks[5].alive);
    EXPECT_TRUE(g.state.bricks[14].alive);
    EXPECT_EQ(g.state.ballDX, -3);
    EXPECT_EQ(g.state.ballDY, 6);
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
    struct Case { bool effect; int32_t scores[3]; };
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
    struct Case { bool alive; int16_t age; bool onAfter; };
    for (const Case c : {Case{false, 19, true}, Case{false, 20, false}, Case{true, 20, false},
                         Case{true, 3, true}}) {
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
