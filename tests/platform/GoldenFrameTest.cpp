// Whole frames compared with committed pictures. The pictures come from the
// test's own sheet and background, so new artwork does not move them; what
// they guard is the drawing: order, positions, masks, text and its blending.
// TILEBASH_UPDATE_GOLDEN=1 rewrites them; a mismatch leaves the frame, the
// golden and a difference picture in the build folder.

#include <gtest/gtest.h>

#include <QDir>
#include <cstdlib>
#include <functional>

#include "TestPictures.h"

namespace {

QString GoldenPath(const char* name) { return QStringLiteral(TILEBASH_GOLDEN_DIR "/%1.png").arg(name); }

// Red where the two differ, a faded copy of the golden elsewhere.
QImage Difference(const QImage& actual, const QImage& golden, int& differing) {
    QImage diff(actual.size(), QImage::Format_RGB32);
    differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y), g = golden.pixel(x, y);
            if ((a | 0xff000000u) != (g | 0xff000000u)) {
                ++differing;
                diff.setPixel(x, y, qRgb(255, 0, 0));
            } else {
                diff.setPixel(x, y, qRgb(qGray(g) / 3, qGray(g) / 3, qGray(g) / 3));
            }
        }
    }
    return diff;
}

void ExpectMatchesGolden(const QImage& frame, const char* name) {
    const QImage actual = frame.convertToFormat(QImage::Format_RGB32);
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
    int differing = 0;
    const QImage diff = Difference(actual, golden, differing);
    if (differing > 0) {
        const QString dir = QStringLiteral(TILEBASH_DIFF_DIR);
        QDir().mkpath(dir);
        actual.save(dir + "/" + name + ".actual.png", "PNG");
        golden.save(dir + "/" + name + ".golden.png", "PNG");
        diff.save(dir + "/" + name + ".diff.png", "PNG");
    }
    EXPECT_EQ(differing, 0) << name << ": pictures in " << TILEBASH_DIFF_DIR;
}

// Draws one frame of a scripted game with the test sheet.
QImage DrawScripted(const std::function<void(game::Game&)>& script) {
    testpics::QtGame g(testpics::TestBackground());
    EXPECT_EQ(testpics::LoadSheet(g), "");
    g.fakes.random.scripted = {0.9};  // serve to the right
    g.StartStage();
    script(g.game);
    EXPECT_TRUE(g.game.DrawFrame());
    g.surface.Flush();
    return g.surface.Image();
}

}  // namespace

TEST(GoldenFrames, FirstFrameOfAStage) {
    ExpectMatchesGolden(DrawScripted([](game::Game&) {}), "stage_start");
}

TEST(GoldenFrames, PausedFrameWithBrickAndBonusCaptions) {
    ExpectMatchesGolden(DrawScripted([](game::Game& game) {
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
                        }),
                        "paused_captions");
}

TEST(GoldenFrames, RunningFrameWithAFallingItemOverTheBall) {
    ExpectMatchesGolden(DrawScripted([](game::Game& game) {
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
                        }),
                        "falling_item");
}
