// Whole frames compared with committed pictures. The pictures come from the
// test's own sheet and background, so new artwork does not move them; what
// they guard is the drawing: order, positions, masks, text and its blending.
// Every pixel must match exactly except the text's: glyphs are antialiased by
// the font engine, whose coverage another processor or library build may
// round a level differently, so a text pixel may be off by kTextTolerance
// levels per channel (a missing, moved or recoloured text is off by far more),
// and a few text pixels by any amount: hinting differs between FreeType builds
// (Qt 6.11's on Debian testing lifts the dot of a 9.75-pixel "i" by two rows,
// six pixels a dot), so up to kStrayTextPixels of them; a word moved by one
// pixel is off in well over a hundred.
// The text's pixels are found by drawing the same frame again with every text
// printed as blanks (TextPixels). TILEBASH_UPDATE_GOLDEN=1 rewrites the pictures; a
// difference leaves the frame, the golden and a difference picture (red:
// beyond the tolerance, yellow: within it) in the build folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <functional>

#include "PictureCheck.h"
#include "TestPictures.h"

namespace {

constexpr int kTextTolerance = 2;
constexpr int kStrayTextPixels = 48;

QString GoldenPath(const char* name) {
    return QStringLiteral(TILEBASH_GOLDEN_DIR "/%1.png").arg(name);
}

// The real surface, but every text prints as blanks of its length (which move
// the pen alike and draw nothing): the same frame without its text.
class WithoutText final : public platform::Surface {
public:
    explicit WithoutText(platform::Surface& real) : real_(real) {}
    bool LoadBitmaps(const std::string& path, std::string& error) override {
        return real_.LoadBitmaps(path, error);
    }
    void Cls() override { real_.Cls(); }
    void Print(std::string_view text) override { real_.Print(std::string(text.size(), ' ')); }
    int32_t CurrentX() const override { return real_.CurrentX(); }
    void CurrentX(int32_t x) override { real_.CurrentX(x); }
    int32_t CurrentY() const override { return real_.CurrentY(); }
    void CurrentY(int32_t y) override { real_.CurrentY(y); }
    platform::Rgb ForeColor() const override { return real_.ForeColor(); }
    void ForeColor(platform::Rgb colour) override { real_.ForeColor(colour); }
    double FontSize() const override { return real_.FontSize(); }
    void FontSize(double points) override { real_.FontSize(points); }
    void RectangleOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, platform::Rgb colour) override {
        real_.RectangleOutline(x1, y1, x2, y2, colour);
    }
    void BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                platform::RasterOp op) override {
        real_.BitBlt(x, y, w, h, srcX, srcY, op);
    }
    void Refresh() override { real_.Refresh(); }

private:
    platform::Surface& real_;
};

// One frame of a scripted game with the test sheet, with its text or without.
QImage DrawScripted(const std::function<void(game::Game&)>& script, bool withText) {
    QTemporaryDir dir;
    platform::fake::FakePlatform fakes;
    platform::qt::QtSurface surface(testpics::TestBackground());
    WithoutText blank(surface);
    platform::Surface& drawOn = withText ? static_cast<platform::Surface&>(surface) : blank;
    game::Game game(
        platform::Services{fakes.keyboard, fakes.clock, fakes.events, fakes.messages, fakes.random, drawOn},
        "unused");
    std::string error;
    EXPECT_TRUE(
        surface.LoadBitmaps(testpics::SaveBmp(testpics::SyntheticSheet(), dir, "bitmaps.bmp"), error));
    fakes.random.scripted = {0.9};  // serve to the right
    testsupport::StartFirstStage(game);
    script(game);
    EXPECT_TRUE(game.DrawFrame());
    surface.Flush();
    return surface.Image().convertToFormat(QImage::Format_RGB32);
}

// 1 where this build's text lies: where the frame differs from the same frame
// without text, and the pixels next to those, which hold a glyph's faintest
// edge on one machine and nothing on another. Taken from the drawing, never
// from the golden, so a golden pixel off anywhere else still counts.
QImage TextPixels(const QImage& frame, const QImage& withoutText) {
    QImage text(frame.size(), QImage::Format_Indexed8);
    text.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    text.fill(0);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            if (testpics::Px(frame, x, y) == testpics::Px(withoutText, x, y)) continue;
            for (int j = std::max(0, y - 1); j <= std::min(frame.height() - 1, y + 1); ++j)
                for (int i = std::max(0, x - 1); i <= std::min(frame.width() - 1, x + 1); ++i)
                    text.setPixel(i, j, 1);
        }
    }
    return text;
}

// Pixels off at all outside the text: none is allowed there.
int BeyondOutsideText(const QImage& actual, const QImage& golden, const QImage& text) {
    return art::ComparePictures(actual, golden,
                                [&](int x, int y) { return text.pixelIndex(x, y) != 0 ? 255 : 0; })
        .beyond;
}

bool WithinTolerance(const art::PictureDifference& d, int outsideText) {
    return d.sameSize && outsideText == 0 && d.beyond <= kStrayTextPixels;
}

void ExpectMatchesGolden(const std::function<void(game::Game&)>& script, const char* name) {
    const QImage actual = DrawScripted(script, true);
    const char* update = std::getenv("TILEBASH_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(QDir().mkpath(QStringLiteral(TILEBASH_GOLDEN_DIR)));
        ASSERT_TRUE(actual.save(GoldenPath(name), "PNG"));
        return;
    }
    const QImage golden = QImage(GoldenPath(name)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(golden.isNull()) << "no golden " << GoldenPath(name).toStdString()
                                  << "; run with TILEBASH_UPDATE_GOLDEN=1 to write it";
    ASSERT_EQ(golden.size(), actual.size());
    const QImage text = TextPixels(actual, DrawScripted(script, false));
    const art::PictureDifference d = art::ComparePictures(
        actual, golden, [&](int x, int y) { return text.pixelIndex(x, y) != 0 ? kTextTolerance : 0; });
    const int outsideText = BeyondOutsideText(actual, golden, text);
    if (d.differing > 0) {
        const QString dir = QStringLiteral(TILEBASH_DIFF_DIR);
        QDir().mkpath(dir);
        actual.save(dir + "/" + name + ".actual.png", "PNG");
        golden.save(dir + "/" + name + ".golden.png", "PNG");
        d.picture.save(dir + "/" + name + ".diff.png", "PNG");
    }
    EXPECT_TRUE(WithinTolerance(d, outsideText))
        << name << ": " << d.Summary().toStdString() << ", " << outsideText
        << " of them outside the text; pictures in " << TILEBASH_DIFF_DIR;
}

}  // namespace

TEST(GoldenFrames, FirstFrameOfAStage) {
    ExpectMatchesGolden([](game::Game&) {}, "stage_start");
}

TEST(GoldenFrames, PausedFrameWithBrickAndBonusCaptions) {
    ExpectMatchesGolden(
        [](game::Game& game) {
            auto& s = game.state;
            s.score = 123450;
            s.lives = 0;
            s.level = 12;
            s.stage = 3;
            const int dead[] = {3, 14, 15, 26, 47, 58};
            int16_t age = 0;
            for (int i : dead) {
                s.bricks[i].alive = false;
                s.bricks[i].captionOn = i != 58;
                s.bricks[i].captionValue = static_cast<int16_t>(50 * i);
                s.bricks[i].captionAge = age;
                age = static_cast<int16_t>(age + 4);
            }
            s.specialKind = game::points1000;
            s.specialPoints = 1000;
            s.specialX = 320;
            s.specialY = 370;
            s.captionFrames = 12;
            game.locals.paused = true;
        },
        "paused_captions");
}

TEST(GoldenFrames, RunningFrameWithAFallingItemOverTheBall) {
    ExpectMatchesGolden(
        [](game::Game& game) {
            auto& s = game.state;
            s.ballX = 300;
            s.ballY = 250;
            s.paddleX = 420;
            s.specialFalling = true;
            s.specialKind = game::drunkenBall;
            s.specialSpriteX = 25;
            s.specialSpriteY = 110;
            s.specialX = 305;
            s.specialY = 240;
            s.score = -50;  // a sign place of its own
            game.locals.paused = false;
        },
        "falling_item");
}

// The allowance for stray text pixels is no allowance for moved text: the
// first frame's "Point Total" one pixel to the right fails.
TEST(GoldenFrames, AWordMovedByOnePixelIsBeyondTheTolerance) {
    const QImage golden = DrawScripted([](game::Game&) {}, true);
    const QImage text = TextPixels(golden, DrawScripted([](game::Game&) {}, false));
    QImage moved = golden;
    const QRect label(545, 84, 80, 14);  // "Point Total" in the status panel
    for (int y = label.top(); y <= label.bottom(); ++y)
        for (int x = label.right(); x > label.left(); --x) moved.setPixel(x, y, golden.pixel(x - 1, y));
    const art::PictureDifference d = art::ComparePictures(
        moved, golden, [&](int x, int y) { return text.pixelIndex(x, y) != 0 ? kTextTolerance : 0; });
    EXPECT_FALSE(WithinTolerance(d, BeyondOutsideText(moved, golden, text))) << d.Summary().toStdString();
    EXPECT_GT(d.beyond, 2 * kStrayTextPixels);
}
