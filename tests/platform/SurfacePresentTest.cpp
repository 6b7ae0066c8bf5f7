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
        EXPECT_TRUE(surface.LoadBitmaps(testpics::SaveBmp(testpics::SyntheticSheet(), dir, "s.bmp"), error));
    }
};

// A frame in the shape the game draws: clear, outline, masked sprite,
// bricks, text.
void DrawFrame(QtSurface& s, int ballX, int bricks, const char* score) {
    s.Cls();
    s.RectangleOutline(9, 9, 530, 410, Rgb{0, 0, 0});
    s.BitBlt(ballX, 300, 12, 12, 60, 20, RasterOp::SRCAND);
    s.BitBlt(ballX, 300, 12, 12, 60, 40, RasterOp::SRCPAINT);
    for (int i = 0; i < bricks; ++i) s.BitBlt(20 + 52 * (i % 10), 40 + 20 * (i / 10), 52, 20, 0, 60, RasterOp::SRCCOPY);
    s.CurrentX(544), s.CurrentY(108), s.Print(score);
}

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
    DrawFrame(f.surface, 100, 70, " 120");
    EXPECT_GT(f.surface.Present(), 0);
    for (int i = 0; i < 3; ++i) {
        DrawFrame(f.surface, 100, 70, " 120");
        EXPECT_EQ(f.surface.Present(), 0) << "frame " << i;
    }
    DrawFrame(f.surface, 103, 70, " 120");
    const int64_t moved = f.surface.Present();
    EXPECT_GT(moved, 0);
    EXPECT_LE(moved, 15 * 12);  // the old and the new ball's boxes, no more
    DrawFrame(f.surface, 103, 69, " 170");  // a brick goes and the score changes
    EXPECT_LE(f.surface.Present(), 52 * 20 + 60 * 16);
    EXPECT_TRUE(SameImage(f.surface.presented(), f.surface.image()));
}

TEST(SurfacePresent, RecordedFramesEndInThePictureOfTheLastFrameDrawnAfresh) {
    // Frames repeat, differ slightly, are presented or not, and are read back
    // in the middle: the picture must always be the last frame's alone.
    std::mt19937 rng(7);
    Sheeted f;
    int lastBall = 0, lastBricks = 0;
    for (int frame = 0; frame < 200; ++frame) {
        const bool repeat = frame > 0 && rng() % 3 != 0;
        const int ball = repeat ? lastBall : static_cast<int>(rng() % 500);
        const int bricks = repeat ? lastBricks : static_cast<int>(rng() % 71);
        DrawFrame(f.surface, ball, bricks, bricks % 2 ? " 50" : " 1000");
        lastBall = ball, lastBricks = bricks;
        const auto what = rng() % 4;
        if (what == 0) f.surface.Present();
        if (what == 1) f.surface.Refresh();
        if (what == 2) (void)f.surface.image();
        if (what == 3) {  // drawing over a finished frame without a clear
            f.surface.Present();
            f.surface.BitBlt(300, 200, 12, 12, 60, 40, RasterOp::SRCCOPY);
            f.surface.Present();
            DrawFrame(f.surface, ball, bricks, bricks % 2 ? " 50" : " 1000");
        }
        if (frame % 20 == 19) {
            Sheeted fresh;
            DrawFrame(fresh.surface, ball, bricks, bricks % 2 ? " 50" : " 1000");
            ASSERT_TRUE(SameImage(f.surface.image(), fresh.surface.image())) << "frame " << frame;
            f.surface.Present();
            ASSERT_TRUE(SameImage(f.surface.presented(), fresh.surface.image())) << "frame " << frame;
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
        const QImage& small = one.surface.image();
        const QImage& large = big.surface.image();
        ASSERT_EQ(large.size(), small.size() * scale);
        int wrong = 0;
        for (int y = 0; y < large.height(); ++y)
            for (int x = 0; x < large.width(); ++x) wrong += Px(large, x, y) != Px(small, x / scale, y / scale);
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
        const QImage& im = f->surface.image();
        const QImage& bg = (f == &one ? one : big).surface.presented();  // still the cleared picture
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
        for (int x = boxes[1].left(); x <= boxes[1].right(); ++x) levels.insert(Px(big.surface.image(), x, y));
    EXPECT_GT(levels.size(), 4);
}
