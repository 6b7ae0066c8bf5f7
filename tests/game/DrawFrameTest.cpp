// What a frame draws, in which order, through the recording surface.

#include <algorithm>

#include "GameHarness.h"

namespace game::testing {
namespace {

using Kind = platform::fake::FakeSurface::Kind;
using Op = platform::fake::FakeSurface::Op;
using platform::RasterOp;

std::vector<Op> Blits(const std::vector<Op>& ops) {
    std::vector<Op> blits;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(blits),
                 [](const Op& op) { return op.kind == Kind::Blit; });
    return blits;
}

const Op* FindPrint(const std::vector<Op>& ops, std::string_view text) {
    for (const Op& op : ops) {
        if (op.kind == Kind::Print && op.text == text) return &op;
    }
    return nullptr;
}

class DrawFrameTest : public GameHarness {
protected:
    void SetUp() override {
        StartGame();
        fp.surface.ops.clear();
    }
    bool DrawOnce() {
        fp.surface.ops.clear();
        return g.DrawFrame();
    }
};

TEST_F(DrawFrameTest, FrameDrawsBallPaddleThenBricksInIndexOrderAndRefreshesOnce) {
    ASSERT_TRUE(DrawOnce());
    const auto& ops = fp.surface.ops;
    ASSERT_GE(ops.size(), 3u);
    EXPECT_EQ(ops[0].kind, Kind::Cls);
    EXPECT_EQ(ops[1].kind, Kind::Outline);
    EXPECT_EQ(std::tie(ops[1].x, ops[1].y, ops[1].w, ops[1].h), std::make_tuple(9, 9, 530, 410));
    EXPECT_EQ(ops[1].colour, (platform::Rgb{0, 0, 0}));
    const auto blits = Blits(ops);
    ASSERT_EQ(blits.size(), 74u);
    // The ball: mask with AND, then its image with OR, at its place and size.
    EXPECT_EQ(std::tie(blits[0].x, blits[0].y, blits[0].w, blits[0].h, blits[0].srcX, blits[0].srcY),
              std::make_tuple(263, 374, 15, 15, 52, 30));
    EXPECT_EQ(blits[0].rop, RasterOp::SRCAND);
    EXPECT_EQ(std::tie(blits[1].srcX, blits[1].srcY), std::make_tuple(52, 45));
    EXPECT_EQ(blits[1].rop, RasterOp::SRCPAINT);
    // The paddle next, the same two steps.
    EXPECT_EQ(std::tie(blits[2].x, blits[2].y, blits[2].w, blits[2].h, blits[2].srcX, blits[2].srcY),
              std::make_tuple(230, 390, 80, 15, 0, 0));
    EXPECT_EQ(blits[3].rop, RasterOp::SRCPAINT);
    EXPECT_EQ(std::tie(blits[3].srcX, blits[3].srcY), std::make_tuple(0, 15));
    // Then the 70 bricks, plain copies in index order.
    for (int i = 1; i <= 70; ++i) {
        const Op& b = blits[static_cast<std::size_t>(3 + i)];
        EXPECT_EQ(b.rop, RasterOp::SRCCOPY);
        EXPECT_EQ(b.x, g.state.bricks[i].x);
        EXPECT_EQ(b.y, g.state.bricks[i].y);
        EXPECT_EQ(b.srcY, g.state.bricks[i].spriteY);
    }
    EXPECT_EQ(fp.surface.refreshes, 1);
    EXPECT_EQ(ops.back().kind, Kind::Refresh);
}

TEST_F(DrawFrameTest, StatusPanelAndLegendPrintAtTheirPlacesAndSizes) {
    g.state.score = 1250;
    g.state.lives = 2;
    g.state.level = 10;
    g.state.stage = 3;
    ASSERT_TRUE(DrawOnce());
    struct Expected {
        std::string_view text;
        int32_t x, y;
        double size;
        platform::Rgb colour;
    };
    const platform::Rgb black{0, 0, 0}, grey{200, 200, 200};
    const Expected rows[] = {
        {"Point Total:", 544, 88, 9.75, black},
        {" 1250", 540, 108, 9.75, black},
        {"Lives: 2", 544, 146, 9.75, black},
        {"Level: 10.3", 544, 186, 9.75, black},
        {"--Keys------------", 544, 220, 7.5, grey},
        {"(P)ause", 544, 235, 7.5, grey},
        {"(R)eset", 544, 250, 7.5, grey},
        {"(Q)uit", 544, 265, 7.5, grey},
        {"Paused", 226, 195, 18.0, black},
    };
    for (const Expected& e : rows) {
        const Op* op = FindPrint(fp.surface.ops, e.text);
        ASSERT_NE(op, nullptr) << e.text;
        EXPECT_EQ(op->x, e.x) << e.text;
        EXPECT_EQ(op->y, e.y) << e.text;
        EXPECT_DOUBLE_EQ(op->fontSize, e.size) << e.text;
        EXPECT_EQ(op->colour, e.colour) << e.text;
    }
    EXPECT_DOUBLE_EQ(fp.surface.FontSize(), 9.75) << "the next frame's panel prints at the same size";
    EXPECT_EQ(fp.surface.ForeColor(), black);
}

TEST_F(DrawFrameTest, NegativeScorePrintsItsSignAndPausedShowsOnlyWhilePaused) {
    g.state.score = -5;
    g.locals.paused = false;
    ASSERT_TRUE(DrawOnce());
    EXPECT_NE(FindPrint(fp.surface.ops, "-5"), nullptr);
    EXPECT_EQ(FindPrint(fp.surface.ops, "Paused"), nullptr);
}

TEST_F(DrawFrameTest, BrickCaptionRisesByHalfItsAgeRoundedHalfToEven) {
    const int16_t rises[] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7, 8, 8, 8, 9, 10, 10};
    Brick& b = g.state.bricks[23];
    b.alive = false;
    b.captionOn = true;
    b.captionValue = 100;
    for (int mode : kRoundingModes) {
        const RoundingMode rounding(mode);
        for (int16_t age = 0; age <= 20; ++age) {
            b.captionAge = age;
            ASSERT_TRUE(DrawOnce());
            const Op* op = FindPrint(fp.surface.ops, " 100");
            ASSERT_NE(op, nullptr) << age;
            EXPECT_EQ(op->x, b.x + 10);
            EXPECT_EQ(op->y, b.y - rises[age]) << "age " << age << ", rounding mode " << mode;
            EXPECT_EQ(op->colour, (platform::Rgb{255, 30, 30}));
        }
    }
    EXPECT_EQ(fp.surface.ForeColor(), (platform::Rgb{0, 0, 0}));
}

TEST_F(DrawFrameTest, CaptionIsPrintedAtItsBricksTurnSoHigherBricksCoverIt) {
    Brick& b = g.state.bricks[23];
    b.alive = false;
    b.captionOn = true;
    b.captionValue = 50;
    ASSERT_TRUE(DrawOnce());
    const auto& ops = fp.surface.ops;
    const auto caption =
        std::find_if(ops.begin(), ops.end(), [](const Op& op) { return op.kind == Kind::Print; });
    ASSERT_NE(caption, ops.end());
    const auto brickBlitsBefore = std::count_if(ops.begin(), caption, [](const Op& op) {
        return op.kind == Kind::Blit && op.rop == RasterOp::SRCCOPY;
    });
    EXPECT_EQ(brickBlitsBefore, 22) << "bricks 1-22 lie under the caption, 24-70 over it";
}

TEST_F(DrawFrameTest, StrobeDarkPhaseDrawsNothingOfTheBall) {
    g.state.effectActive = true;
    g.state.specialKind = strobeBall;
    g.state.strobeShown = false;
    ASSERT_TRUE(DrawOnce());
    const auto blits = Blits(fp.surface.ops);
    EXPECT_EQ(blits.size(), 72u);
    EXPECT_EQ(blits[0].srcY, 0) << "the first copy is the paddle's mask";
    g.state.strobeShown = true;
    ASSERT_TRUE(DrawOnce());
    EXPECT_EQ(Blits(fp.surface.ops).size(), 74u);
    g.state.strobeShown = false;
    g.state.specialKind = drunkenBall;
    ASSERT_TRUE(DrawOnce());
    EXPECT_EQ(Blits(fp.surface.ops).size(), 74u) << "only the strobe ball hides";
}

TEST_F(DrawFrameTest, FallingItemAndItsCaptionAreDrawnAfterTheBricks) {
    g.state.specialFalling = true;
    g.state.specialX = 100;
    g.state.specialY = 200;
    g.state.specialSpriteX = 25;
    g.state.specialSpriteY = 110;
    g.state.specialKind = drunkenBall;
    g.state.captionFrames = 10;
    ASSERT_TRUE(DrawOnce());
    const auto blits = Blits(fp.surface.ops);
    ASSERT_EQ(blits.size(), 76u);
    EXPECT_EQ(
        std::tie(blits[74].x, blits[74].y, blits[74].w, blits[74].srcX, blits[74].srcY, blits[74].rop),
        std::make_tuple(100, 200, 25, 52, 60, RasterOp::SRCAND));
    EXPECT_EQ(std::tie(blits[75].srcX, blits[75].srcY, blits[75].rop),
              std::make_tuple(25, 110, RasterOp::SRCPAINT));
    EXPECT_NE(FindPrint(fp.surface.ops, "Drunken Ball"), nullptr);
}

TEST_F(DrawFrameTest, StageClearingFrameDrawsNoPanelAndDoesNotRefresh) {
    for (int i = 1; i <= 70; ++i) g.state.bricks[i].alive = false;
    g.state.bricks[70].captionOn = true;
    g.state.bricks[70].captionValue = 150;
    const int64_t refreshes = fp.surface.refreshes;
    EXPECT_FALSE(DrawOnce());
    EXPECT_EQ(fp.surface.refreshes, refreshes);
    EXPECT_NE(FindPrint(fp.surface.ops, " 150"), nullptr) << "the captions are still drawn";
    EXPECT_EQ(FindPrint(fp.surface.ops, "Point Total:"), nullptr);
    EXPECT_EQ(FindPrint(fp.surface.ops, "Paused"), nullptr);
    EXPECT_EQ(g.state.stage, 1) << "drawing leaves the advance to the frame loop";
}

}  // namespace
}  // namespace game::testing
