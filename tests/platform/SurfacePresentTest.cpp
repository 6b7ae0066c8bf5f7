// What reaches the screen: a repeated frame changes nothing, a moved sprite
// changes only its neighbourhood, the recorded drawing always ends in the
// same picture as drawing the last frame afresh, and a scaled image is the
// 1x picture enlarged pixel for pixel.

#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>
#include <random>

#include "TestPictures.h"
#include "platform/qt/QtSurface.h"

using platform::RasterOp;
using platform::Rgb;
using platform::qt::QtSurface;
using testpics::Px;

namespace {

struct Sheeted {
    QTemporaryDir dir;
    QtSurface surface{testpics::TestBackground()};
    explicit Sheeted(int32_t scale = 1) {
        surface.SetScale(scale);
        std::string error;
        EXPECT_TRUE(
            surface.LoadBitmaps(testpics::SaveBmp(testpics::SyntheticSheet(), dir, "s.bmp"), error));
    }
};

// A frame in the shape the game draws: clear, outline, masked sprite,
// bricks, text.
// gap: a brick left out in the middle of the wall (a caption rises there
// instead), so that frames differ by one dropped or added operation.
// ballY: below the wall, or among its bricks and captions.
// The panel: a box drawn first under a line of text that overlaps the score,
// so a changed score reaches the box only through that line.
void DrawFrame(QtSurface& s, int ballX, int bricks, const char* score, int gap = -1, int ballY = 300) {
    s.Cls();
    s.RectangleOutline(9, 9, 530, 410, Rgb{0, 0, 0});
    s.RectangleOutline(540, 128, 630, 138, Rgb{0, 0, 160});
    s.BitBlt(ballX, ballY, 12, 12, 60, 20, RasterOp::SRCAND);
    s.BitBlt(ballX, ballY, 12, 12, 60, 40, RasterOp::SRCPAINT);
    for (int i = 0; i < bricks; ++i) {
        const int x = 20 + 52 * (i % 10), y = 40 + 20 * (i / 10);
        if (i != gap) {
            s.BitBlt(x, y, 52, 20, 0, 60, RasterOp::SRCCOPY);
        } else if (ballX % 2 == 0) {  // sometimes the brick is simply gone
            s.ForeColor(Rgb{255, 30, 30});
            s.CurrentX(x + 10), s.CurrentY(y - ballX % 7), s.Print(" 50");
            s.ForeColor(Rgb{0, 0, 0});
        }
    }
    s.CurrentX(544), s.CurrentY(108), s.Print(score);
    s.CurrentX(544), s.CurrentY(118), s.Print("Lives: 3");
    if (ballX % 4 == 1) {  // a masked item over the ball, whose last place it covers
        s.BitBlt(ballX - 6, ballY - 6, 24, 24, 0, 100, RasterOp::SRCAND);
        s.BitBlt(ballX - 6, ballY - 6, 24, 24, 24, 100, RasterOp::SRCPAINT);
    }
}

// What a window would show: its last picture, with every rectangle a
// Present repaints copied in from the surface's image.
struct Screen {
    QImage picture;
    explicit Screen(const QtSurface& s) : picture(s.Image().copy()) {}
    int64_t Present(QtSurface& s) {
        const int64_t n = s.Present();
        const int k = s.Scale();
        for (const QRect& r : s.LastRepaint()) {
            for (int y = r.top() * k; y < (r.bottom() + 1) * k; ++y)
                for (int x = r.left() * k; x < (r.right() + 1) * k; ++x)
                    picture.setPixel(x, y, s.Image().pixel(x, y));
        }
        return n;
    }
};

bool SameImage(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (Px(a, x, y) != Px(b, x, y)) return false;
    return true;
}

}  // namespace

TEST(SurfacePresent, ARepeatedFrameChangesNoPixelAndAMovedBallOnlyItsNeighbourhood) {
    Sheeted f;
    Screen screen(f.surface);
    DrawFrame(f.surface, 100, 70, " 120");
    EXPECT_GT(screen.Present(f.surface), 0);
    for (int i = 0; i < 3; ++i) {
        DrawFrame(f.surface, 100, 70, " 120");
        EXPECT_EQ(screen.Present(f.surface), 0) << "frame " << i;
    }
    DrawFrame(f.surface, 103, 70, " 120");
    const int64_t moved = screen.Present(f.surface);
    EXPECT_GT(moved, 0);
    EXPECT_LE(moved, 2 * 12 * 12);          // the old and the new ball's boxes, no more
    DrawFrame(f.surface, 103, 69, " 170");  // a brick goes and the score changes
    EXPECT_LE(screen.Present(f.surface), 52 * 20 + 2 * 60 * 16);
    EXPECT_TRUE(SameImage(screen.picture, f.surface.Image()));
}

TEST(SurfacePresent, RecordedFramesEndInThePictureOfTheLastFrameDrawnAfresh) {
    // Frames repeat, differ slightly, are presented or not, and are read back
    // in the middle: the picture must always be the last frame's alone.
    std::mt19937 rng(7);
    Sheeted f;
    Screen screen(f.surface);
    int lastBall = 0, lastBricks = 0, lastGap = -1;
    for (int frame = 0; frame < 400; ++frame) {
        const auto change = frame == 0 ? 3 : rng() % 4;  // 0 repeat, 1 small step, 2 a brick, 3 anything
        int ball = lastBall, bricks = lastBricks, gap = lastGap;
        if (change == 1) ball = (ball + 3) % 500;
        if (change == 2) gap = rng() % 2 ? static_cast<int>(rng() % 70) : -1;
        if (change == 2 && rng() % 2) bricks = std::min(70, bricks + 1);
        if (change == 3) ball = static_cast<int>(rng() % 500), bricks = static_cast<int>(rng() % 71);
        const char* score = bricks % 2 ? " 50" : " 1000";
        const int ballY = ball % 3 ? 300 : 30 + ball % 160;
        DrawFrame(f.surface, ball, bricks, score, gap, ballY);
        lastBall = ball, lastBricks = bricks, lastGap = gap;
        const auto what = rng() % 4;
        if (what == 0 || what == 1) screen.Present(f.surface);
        if (what == 2) f.surface.Flush();
        if (what == 3) {  // drawing over a finished frame without a clear
            screen.Present(f.surface);
            f.surface.BitBlt(300, 200, 12, 12, 60, 40, RasterOp::SRCCOPY);
            screen.Present(f.surface);
            DrawFrame(f.surface, ball, bricks, score, gap, ballY);
        }
        if (frame % 10 == 9) {
            Sheeted fresh;
            DrawFrame(fresh.surface, ball, bricks, score, gap, ballY);
            f.surface.Flush();
            fresh.surface.Flush();
            ASSERT_TRUE(SameImage(f.surface.Image(), fresh.surface.Image())) << "frame " << frame;
            screen.Present(f.surface);
            ASSERT_TRUE(SameImage(screen.picture, fresh.surface.Image())) << "frame " << frame;
        }
    }
}

TEST(SurfacePresent, DrawingWithoutAClearIsNeverSkipped) {
    Sheeted f;
    DrawFrame(f.surface, 100, 10, " 0");
    f.surface.Present();
    // The same blit twice over a finished frame: each must land.
    f.surface.BitBlt(200, 200, 12, 12, 60, 40, RasterOp::SRCPAINT);
    EXPECT_GT(f.surface.Present(), 0);
    f.surface.BitBlt(400, 200, 12, 12, 60, 40, RasterOp::SRCPAINT);
    EXPECT_GT(f.surface.Present(), 0);
}

TEST(SurfacePresent, AScaledImageIsTheOneTimesPictureEnlargedPixelForPixel) {
    for (int32_t scale : {2, 3}) {
        Sheeted one, big(scale);
        for (Sheeted* f : {&one, &big}) {
            f->surface.Cls();
            f->surface.RectangleOutline(9, 9, 530, 410, Rgb{0, 0, 0});
            f->surface.RectangleOutline(-5, 400, 700, 430, Rgb{200, 0, 0});  // clipped edges
            f->surface.BitBlt(100, 300, 12, 12, 60, 20, RasterOp::SRCAND);
            f->surface.BitBlt(100, 300, 12, 12, 60, 40, RasterOp::SRCPAINT);
            f->surface.BitBlt(-7, 410, 52, 20, 0, 60, RasterOp::SRCCOPY);  // cut by two edges
            f->surface.BitBlt(620, 5, 52, 20, 0, 60, RasterOp::SRCCOPY);
        }
        one.surface.Flush();
        const QImage& small = one.surface.Image();
        big.surface.Flush();
        const QImage& large = big.surface.Image();
        ASSERT_EQ(large.size(), small.size() * scale);
        int wrong = 0;
        for (int y = 0; y < large.height(); ++y)
            for (int x = 0; x < large.width(); ++x)
                wrong += Px(large, x, y) != Px(small, x / scale, y / scale);
        EXPECT_EQ(wrong, 0) << "scale " << scale;
    }
}

TEST(SurfacePresent, ScaledTextStartsWhereTheOneTimesTextStartsAndMovesThePenAlike) {
    Sheeted one, big(2);
    QRect boxes[2];
    int i = 0;
    for (Sheeted* f : {&one, &big}) {
        f->surface.Cls();
        f->surface.ForeColor(Rgb{0, 0, 0});
        f->surface.CurrentX(544), f->surface.CurrentY(146);
        f->surface.Print("Lives: 3");
        f->surface.Flush();
        const QImage& im = f->surface.Image();
        Sheeted blank(f == &one ? 1 : 2);
        blank.surface.Cls();
        blank.surface.Flush();
        const QImage& bg = blank.surface.Image();
        QRect box;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x)
                if (Px(im, x, y) != Px(bg, x, y)) box |= QRect(x, y, 1, 1);
        boxes[i++] = box;
    }
    EXPECT_EQ(one.surface.CurrentY(), big.surface.CurrentY());  // the line height is the 1x one
    ASSERT_FALSE(boxes[0].isEmpty());
    // The same ink box within two device pixels, at twice the size.
    EXPECT_NEAR(boxes[1].left(), boxes[0].left() * 2, 2);
    EXPECT_NEAR(boxes[1].top(), boxes[0].top() * 2, 2);
    EXPECT_NEAR(boxes[1].right(), boxes[0].right() * 2 + 1, 3);
    EXPECT_NEAR(boxes[1].bottom(), boxes[0].bottom() * 2 + 1, 3);
    // And sharper: more distinct grey levels than an enlarged 1x text has.
    QSet<QRgb> levels;
    for (int y = boxes[1].top(); y <= boxes[1].bottom(); ++y)
        for (int x = boxes[1].left(); x <= boxes[1].right(); ++x)
            levels.insert(Px(big.surface.Image(), x, y));
    EXPECT_GT(levels.size(), 4);
}

TEST(SurfacePresent, AChangeOfScaleBetweenFramesDrawsTheHeldFrameAgainAtTheNewScale) {
    // Full screen and back: the frame on screen, text included, is the one a
    // surface at the new scale draws afresh, and later frames draw at it too.
    Sheeted f, fresh(3);
    DrawFrame(f.surface, 100, 40, " 120", 7);
    f.surface.Present();
    f.surface.SetScale(3);
    DrawFrame(fresh.surface, 100, 40, " 120", 7);
    fresh.surface.Flush();
    EXPECT_TRUE(SameImage(f.surface.Image(), fresh.surface.Image()));
    DrawFrame(f.surface, 104, 39, " 170");
    DrawFrame(fresh.surface, 104, 39, " 170");
    f.surface.Present(), fresh.surface.Flush();
    EXPECT_TRUE(SameImage(f.surface.Image(), fresh.surface.Image()));
}

TEST(SurfacePresent, TheFieldFillsItsWindowOrSitsCentredAtTheLargestWholeScaleThatFits) {
    using platform::qt::Placement;
    struct Case {
        QSize window;
        double ratio;
        int32_t scale;
        QPointF origin;  // window units
        double perUnit;
        bool sharp = false;  // allowed
        QSize picture{};     // the smoothed picture in device pixels; empty: shown pixel for pixel
    } cases[] = {
        {{640, 420}, 1, 1, {0, 0}, 1},           // a window at its own size fills it
        {{640, 420}, 2, 2, {0, 0}, 2},           // a 200 % desktop
        {{640, 420}, 1.5, 1, {0, 0}, 1},         // the toolkit scales the rest
        {{1920, 1080}, 1, 2, {320, 120}, 1},     // 1080p full screen
        {{2560, 1440}, 1, 3, {320, 90}, 1},      // 1440p
        {{3840, 2160}, 1, 5, {320, 30}, 1},      // 4K
        {{1920, 1080}, 2, 5, {160, 15}, 2},      // 4K at 200 %: device pixels
        {{2560, 1440}, 1.5, 5, {212, 20}, 1.5},  // 4K at 150 %: a unit on a device pixel
        {{7680, 4320}, 1, 8, {1280, 480}, 1},    // beyond the largest scale: a wider border
        {{800, 400}, 1, 1, {80, 0}, 1},          // smaller than the field: never below 1
        // Sharp allowed: where a whole scale leaves more than a quarter of the
        // limiting side, the next one up, smoothed down to fill that side.
        {{1366, 768}, 1, 2, {98, 0}, 2 * 420 / 768.0, true, {1170, 768}},  // a laptop: 1x fills 55 %
        {{1280, 800}, 1, 2, {30, 0}, 2 * 420 / 800.0, true, {1219, 800}},  // a handheld: 52 %
        {{1366, 768}, 1, 1, {363, 174}, 1},                                // --scaling integer
        {{1920, 1080}, 1, 2, {320, 120}, 1, true},                         // 2x fills 78 %: stays
        {{1707, 1067}, 1.5, 3, {212, 112}, 1.5, true},                     // 2560 x 1600 at 150 %: 79 %
        {{640, 420}, 1.5, 1, {0, 0}, 1, true},                             // never the window
        {{7680, 4320}, 1, 8, {1280, 480}, 1, true},                        // nor past the largest scale
    };
    for (const Case& c : cases) {
        const Placement::Fit fit = Placement::FitField(c.window, {640, 420}, c.ratio, 8, c.sharp);
        EXPECT_EQ(fit.scale, c.scale) << c.window.width() << " at " << c.ratio;
        EXPECT_EQ(fit.placement.origin, c.origin) << c.window.width() << " at " << c.ratio;
        EXPECT_DOUBLE_EQ(fit.placement.imagePixelsPerUnit, c.perUnit)
            << c.window.width() << " at " << c.ratio;
        EXPECT_EQ(fit.placement.smooth, !c.picture.isEmpty()) << c.window.width() << " at " << c.ratio;
        EXPECT_EQ(fit.picture, c.picture) << c.window.width() << " at " << c.ratio;
    }
}
