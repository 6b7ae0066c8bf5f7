// Ball and paddle motion: the speed limit, the walls, the floor and ceiling,
// and the paddle's band and deflection.

#include <gtest/gtest.h>

#include "RulesFixture.h"

namespace game::testing {
namespace {

using platform::vk::Left;
using platform::vk::Right;

class Motion : public RulesFixture {};

TEST_F(Motion, SpeedLimitCutsOnlyFromAbove) {
    struct Case {
        int16_t before, after;
    };
    for (const Case c : {Case{9, 8}, Case{8, 8}, Case{16, 8}, Case{-8, -8}, Case{-9, -9}, Case{-16, -16}}) {
        g.state.ballDX = c.before;
        g.LimitBallSpeed();
        EXPECT_EQ(g.state.ballDX, c.after) << "ballDX " << c.before;
    }
}

TEST_F(Motion, BallStepsByItsVelocity) {
    g.state.ballX = 100;
    g.state.ballY = 200;
    g.state.ballDX = -3;
    g.state.ballDY = 7;
    g.MoveBall();
    EXPECT_EQ(g.state.ballX, 97);
    EXPECT_EQ(g.state.ballY, 207);
}

TEST_F(Motion, PaddleFollowsArrowsAndStopsAtTenAndFourHundredFifty) {
    struct Case {
        int16_t start;
        bool left, right;
        int16_t expected;
    };
    const Case cases[] = {
        {230, true, false, 222}, {230, false, true, 238},  {230, true, true, 230}, {230, false, false, 230},
        {17, true, false, 10},   {18, true, false, 10},    {10, true, false, 10},  {442, false, true, 450},
        {445, false, true, 450}, {450, false, false, 450},  // the limit itself is not cut
    };
    for (const Case& c : cases) {
        g.state.paddleX = c.start;
        fp.keyboard.ReleaseAll();
        if (c.left) fp.keyboard.Press(Left);
        if (c.right) fp.keyboard.Press(Right);
        g.MovePaddle();
        EXPECT_EQ(g.state.paddleX, c.expected)
            << "from " << c.start << " left " << c.left << " right " << c.right;
    }
}

TEST_F(Motion, SideWallsTurnTheBallAtFiveFifteenAndTen) {
    struct Case {
        int16_t x, dx, expectedX, expectedDX;
    };
    const Case cases[] = {
        {515, 3, 515, -3}, {514, 3, 514, 3},
        {522, 8, 515, -8}, {520, -2, 515, 2},  // already leaving: flipped all the same
        {10, -3, 10, 3},   {11, -3, 11, -3},
        {4, -8, 10, 8},    {10, 2, 10, -2},
    };
    for (const Case& c : cases) {
        g.state.ballX = c.x;
        g.state.ballDX = c.dx;
        g.ApplySideWalls();
        EXPECT_EQ(g.state.ballX, c.expectedX) << "ballX " << c.x;
        EXPECT_EQ(g.state.ballDX, c.expectedDX) << "ballX " << c.x;
    }
}

TEST_F(Motion, BallIsAtTheFloorFromThreeNinetyFiveAndTheTestChangesNothing) {
    for (const int16_t y : {int16_t{394}, int16_t{395}, int16_t{396}, int16_t{420}}) {
        g.state.ballY = y;
        g.state.ballDY = 6;
        EXPECT_EQ(g.BallAtFloor(), y >= 395) << "ballY " << y;
        EXPECT_EQ(g.state.ballY, y);
        EXPECT_EQ(g.state.ballDY, 6);
    }
}

TEST_F(Motion, CeilingTurnsTheBallAtTenOrAbove) {
    struct Case {
        int16_t y, dy, expectedY, expectedDY;
    };
    for (const Case c :
         {Case{11, -6, 11, -6}, Case{10, -6, 10, 6}, Case{4, -6, 10, 6}, Case{10, 6, 10, -6}}) {
        g.state.ballY = c.y;
        g.state.ballDY = c.dy;
        g.ApplyCeiling();
        EXPECT_EQ(g.state.ballY, c.expectedY) << "ballY " << c.y;
        EXPECT_EQ(g.state.ballDY, c.expectedDY) << "ballY " << c.y;
    }
}

TEST_F(Motion, PaddleBouncesWhileBallBottomIsWithinThreeNinetyToFourOFive) {
    for (int bottom = 385; bottom <= 410; ++bottom) {
        SetUp();
        g.state.ballX = 263;
        g.state.ballY = static_cast<int16_t>(bottom - 15);
        g.state.ballDY = 6;
        g.locals.hitStreak = 4;
        g.BouncePaddle();
        const bool bounced = bottom >= 390 && bottom <= 405;
        EXPECT_EQ(g.state.ballDY, bounced ? -6 : 6) << "bottom " << bottom;
        EXPECT_EQ(g.state.ballY, bounced ? 375 : bottom - 15) << "bottom " << bottom;
        EXPECT_EQ(g.locals.hitStreak, bounced ? 0 : 4) << "bottom " << bottom;
    }
}

TEST_F(Motion, PaddleBouncesWhileBallCentreIsWithinThePaddlesWidth) {
    // Paddle 230..310; the centre is ballX + 7.5.
    struct Case {
        int16_t ballX;
        bool bounces;
    };
    for (const Case c : {Case{222, false}, Case{223, true}, Case{302, true}, Case{303, false}}) {
        SetUp();
        g.state.ballX = c.ballX;
        g.state.ballY = 380;
        g.state.ballDY = 6;
        g.BouncePaddle();
        EXPECT_EQ(g.state.ballDY, c.bounces ? -6 : 6) << "ballX " << c.ballX;
    }
}

TEST_F(Motion, RisingBallInTheBandBouncesToo) {
    g.state.ballY = 380;
    g.state.ballDY = -6;
    g.BouncePaddle();
    EXPECT_EQ(g.state.ballDY, 6);
    EXPECT_EQ(g.state.ballY, 375);
}

// Offset of the ball's centre from the paddle's centre, and the change of
// ballDX it makes: every edge of every step of the deflection table.
TEST_F(Motion, DeflectionFollowsTheOffsetTableWithHalvesToEven) {
    struct Case {
        double offset;
        int change;
    };
    const Case cases[] = {
        {-39.5, -8}, {-37.5, -8}, {-36.5, -7}, {-33.5, -7}, {-32.5, -6}, {-27.5, -6},
        {-26.5, -5}, {-23.5, -5}, {-22.5, -4}, {-17.5, -4}, {-16.5, -3}, {-13.5, -3},
        {-12.5, -2}, {-7.5, -2},  {-6.5, -1},  {-3.5, -1},  {-2.5, 0},   {-0.5, 0},
        {0.5, 0},    {2.5, 0},    {3.5, 1},    {6.5, 1},    {7.5, 2},    {12.5, 2},
        {13.5, 3},   {16.5, 3},   {17.5, 4},   {22.5, 4},   {23.5, 5},   {26.5, 5},
        {27.5, 6},   {32.5, 6},   {33.5, 7},   {36.5, 7},   {37.5, 8},   {39.5, 8},
    };
    for (const Case& c : cases) {
        for (const int16_t paddleX : {int16_t{10}, int16_t{230}, int16_t{450}}) {
            SetUp();
            g.state.paddleX = paddleX;
            // paddle centre paddleX + 40; ball centre ballX + 7.5
            g.state.ballX = static_cast<int16_t>(paddleX + 40 + c.offset - 7.5);
            g.state.ballY = 378;
            g.state.ballDX = 0;
            g.state.ballDY = 6;
            g.BouncePaddle();
            EXPECT_EQ(g.state.ballDX, c.change) << "offset " << c.offset << " paddleX " << paddleX;
            EXPECT_EQ(g.state.ballDY, -6);
        }
    }
}

TEST_F(Motion, HardestDeflectionsReachSixteenAndMinusSixteen) {
    g.state.ballX = static_cast<int16_t>(270 + 39.5 - 7.5);
    g.state.ballY = 380;
    g.state.ballDX = 8;
    g.state.ballDY = 6;
    g.BouncePaddle();
    EXPECT_EQ(g.state.ballDX, 16);
    g.LimitBallSpeed();  // the next frame moves it by 8 only
    EXPECT_EQ(g.state.ballDX, 8);

    SetUp();
    g.state.ballX = static_cast<int16_t>(270 - 39.5 - 7.5);
    g.state.ballY = 380;
    g.state.ballDX = -8;
    g.state.ballDY = 6;
    g.BouncePaddle();
    EXPECT_EQ(g.state.ballDX, -16);
    g.LimitBallSpeed();  // no lower limit
    EXPECT_EQ(g.state.ballDX, -16);
}

TEST_F(Motion, BouncedBallRestsOnThePaddleAndDoesNotBounceAgainNextFrame) {
    g.state.ballY = 382;
    g.state.ballDY = 6;
    g.BouncePaddle();
    EXPECT_EQ(g.state.ballY + g.state.ballHeight, g.state.paddleY);
    g.MoveBall();
    g.BouncePaddle();
    EXPECT_EQ(g.state.ballDY, -6);
    EXPECT_EQ(g.state.ballY, 369);
}

TEST_F(Motion, BallFallingEighteenPixelsStepsOverThePaddleBand) {
    g.state.ballY = 374;  // bottom 389, just above the band
    g.state.ballDY = 18;  // level 7
    g.MoveBall();         // bottom 407: past the band, short of the floor
    ASSERT_FALSE(g.BallAtFloor());
    g.BouncePaddle();
    EXPECT_EQ(g.state.ballDY, 18);
    g.MoveBall();
    EXPECT_TRUE(g.BallAtFloor());
}

TEST_F(Motion, BallWithoutHorizontalSpeedMovesStraightUpAndDown) {
    g.state.ballX = 263;  // dead centre: no deflection
    g.state.ballY = 380;
    g.state.ballDX = 0;
    g.state.ballDY = 6;
    g.BouncePaddle();
    EXPECT_EQ(g.state.ballDX, 0);
    g.MoveBall();
    EXPECT_EQ(g.state.ballX, 263);
}

}  // namespace
}  // namespace game::testing
