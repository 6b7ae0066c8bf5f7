// The play the benchmarks measure: steered play must stay running (no lost
// ball, walls do get broken), the busiest scene must hold the most prints a
// shown frame can, and the drawing benchmarks' frames must never repeat.

#include "bench/BenchPlay.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace bench {
namespace {

constexpr double kSeed = 3.5;

TEST(BenchPlay, SteeredPlayLosesNoBallAndClearsWalls) {
    HeadlessPlay p(kSeed);
    game::Game& g = p.g;
    EXPECT_FALSE(g.locals.paused);
    int64_t lost = 0, cleared = 0;
    for (int64_t frame = 0; frame < 60'000; ++frame) {
        SteerUnderBall(g.state, SteerOffset(frame));
        if (g.RunFrame() != game::FrameEnd::Continue) {
            ASSERT_FALSE(g.state.quitGame) << "frame " << frame;
            ++cleared;
            RebuildWall(g);
            continue;
        }
        if (g.locals.paused) ++lost;
        g.WaitFrame();
    }
    EXPECT_EQ(lost, 0);
    EXPECT_GE(cleared, 3);  // the varied bounce reaches every brick
    EXPECT_TRUE(p.fakes.messages.shown.empty());
}

TEST(BenchPlay, SteeringKeepsThePaddleBetweenTheWalls) {
    struct Case {
        int16_t ballX, ballDX;
        int offset;
        int16_t paddleX;
    };
    const Case cases[] = {
        {10, -8, -20, 10},  // ball at the left wall: paddle stops there
        {515, 8, 20, 450},  // right wall: 530 - 80
        {263, 0, 0, 230},   // centred: ball centre 270, paddle 230..310
        {263, 4, 20, 214},  // ball centre 274 lies 20 px right of the paddle's
        {263, -4, -20, 246},
    };
    for (const Case& c : cases) {
        HeadlessPlay p(kSeed);
        p.g.state.ballX = c.ballX;
        p.g.state.ballDX = c.ballDX;
        SteerUnderBall(p.g.state, c.offset);
        EXPECT_EQ(p.g.state.paddleX, c.paddleX) << c.ballX << " " << c.ballDX << " " << c.offset;
    }
}

TEST(BenchPlay, SteerOffsetsStayWithinTwentyPixelsAndAllOccur) {
    std::set<int> seen;
    for (int64_t frame = 0; frame < 1000; ++frame) seen.insert(SteerOffset(frame));
    EXPECT_EQ(seen, (std::set<int>{-20, -10, 0, 10, 20}));
}

TEST(BenchPlay, EveryCaptionSceneDrawsSeventyNinePrintsWithoutClearingTheStage) {
    HeadlessPlay p(kSeed);
    p.fakes.surface.recording = true;
    ShowEveryCaption(p.g);
    const int16_t stage = p.g.state.stage;
    p.fakes.surface.ops.clear();
    EXPECT_TRUE(p.g.DrawFrame());
    EXPECT_EQ(p.g.state.stage, stage);
    EXPECT_EQ(p.fakes.surface.PrintedTexts().size(), 79u);
    EXPECT_EQ(p.fakes.surface.refreshes, 1);
}

TEST(BenchPlay, MovedFramesNeverRepeatTheOneBefore) {
    HeadlessPlay p(kSeed);
    game::GameState& s = p.g.state;
    ShowEveryCaption(p.g);
    auto look = [&] { return std::make_tuple(s.ballX, s.ballY, s.paddleX, s.bricks[1].captionAge); };
    MoveForNextFrame(s, 0, true);
    auto before = look();
    for (int64_t frame = 1; frame < 20'000; ++frame) {
        MoveForNextFrame(s, frame, true);
        const auto now = look();
        ASSERT_NE(now, before) << "frame " << frame;
        ASSERT_TRUE(s.ballX >= game::kLeftWall && s.ballX + s.ballWidth <= game::kRightWall) << frame;
        ASSERT_TRUE(s.paddleX >= game::kLeftWall && s.paddleX + s.paddleWidth <= game::kRightWall) << frame;
        before = now;
    }
}

}  // namespace
}  // namespace bench
