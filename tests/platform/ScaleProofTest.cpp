// Every scale proven against a drawing from scratch: a real game (bonus items
// falling and caught, captions, a lost ball, a stage cleared) played through
// the real surface and play window, full screen switched on and off during
// play and during the level titles. Every 250 frames, after every switch and
// after each title, what the window shows is compared with the same frame
// drawn by a fresh surface and placed as the window places it. A slip in the
// redraw of changed boxes, the presenter's rounding of them to window
// rectangles, the copy into the backing image or the border leaves a sliver
// of an older frame, which this finds. Exact everywhere: where Qt scales the
// image, the expected picture is Qt's own scaling of the fresh frame.
//
// A process keeps the desktop scale it starts with, so CTest runs each case
// in a process of its own (ScaleProof.* in CMakeLists.txt): QT_SCALE_FACTOR
// and an offscreen screen of the case's size. Run by hand, a case skips
// unless its environment is the one it needs.
//
// A frame is RunFrame, as PlayStage runs it, and the event handling its wait
// starts with, but not the sleep to the next 22 ms tick: the window repaints
// during Refresh, so nothing on screen waits for the tick. The level titles
// do wait their two seconds in the event loop.

#include <gtest/gtest.h>

#include <QBackingStore>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <map>
#include <utility>

#include "TestPictures.h"
#include "app/frmMain.h"
#include "tests/support/BallFollower.h"
#include "windows/Pictures.h"

namespace {

namespace vk = platform::vk;
using platform::fake::FakeKeyboard;
using platform::qt::Placement;

struct ScaleCase {
    const char* name;
    double desktopScale;  // device pixels per window unit (QT_SCALE_FACTOR)
    QSize screen;         // device pixels
    int32_t windowScale;  // the image's scale at the window's own size: the desktop's, rounded down
    int32_t fullScreenScale;
    bool sharp = false;  // full screen smoothed down from fullScreenScale
};

void PrintTo(const ScaleCase& c, std::ostream* out) {
    *out << c.name;
}

// What the window shows: its backing store, the picture the offscreen platform
// holds for the window on its screen (QBackingStore::paintDevice is that
// image, or one sharing its pixels at a desktop scale). QWidget::grab would
// paint the window afresh instead, and offscreen's QScreen::grabWindow cuts
// the picture to the window's size in units.
QImage Shown(QWidget& window) {
    QPaintDevice* device = window.backingStore()->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) return {};
    const auto* image = static_cast<const QImage*>(device);
    const qreal ratio = window.devicePixelRatioF();
    if (image->size() != QSize(qRound(window.width() * ratio), qRound(window.height() * ratio))) return {};
    return image->convertToFormat(QImage::Format_RGB32);
}

// The frame on screen drawn from scratch: a fresh surface at the window's
// scale, with the same sheet, pen and game state.
QImage DrawnAfresh(frmMain& window, const std::string& sheet, bool title) {
    testsupport::QtGame fresh(windows::PlayFieldPicture());
    fresh.surface.SetScale(window.Surface().Scale());
    std::string error;
    if (!fresh.surface.LoadBitmaps(sheet, error)) return {};
    fresh.game.state = window.Game().state;
    fresh.game.locals = window.Game().locals;
    fresh.surface.ForeColor(window.Surface().ForeColor());
    fresh.surface.FontSize(window.Surface().FontSize());
    if (title) {
        fresh.game.ShowLevelTitle();
    } else {
        fresh.game.DrawFrame();
    }
    fresh.surface.Flush();
    return fresh.surface.Image();
}

// The window's picture as the fresh frame predicts it: black, and the frame
// placed and scaled as the window shows it, by the toolkit itself, on an
// image of the window's device pixels. Where one image pixel is one device
// pixel (a whole desktop scale, and full screen at any) that is the frame's
// own pixels; where the toolkit scales the image (a window at 125 %), it is
// the nearest image pixel to each device pixel's centre, the same for a
// window painted whole or box by box.
QImage Expected(const QImage& fresh, const Placement& at, QSize device, double ratio,
                const platform::qt::SharpFilter& sharp) {
    QImage expected(device, QImage::Format_RGB32);
    expected.setDevicePixelRatio(ratio);
    expected.fill(Qt::black);
    QPainter painter(&expected);
    if (at.smooth) {  // the whole frame smoothed down at once, placed on whole device pixels
        painter.resetTransform();
        painter.drawImage((at.origin * ratio).toPoint(), sharp.Smoothed(fresh));
        return expected;
    }
    painter.drawImage(QRectF(at.origin, QSizeF(fresh.size()) / at.imagePixelsPerUnit), fresh);
    return expected;
}

// The sharp fit checked against a reference of our own, not the toolkit's:
// the frame at its whole-number scale smoothed down with a plain bilinear
// filter. Qt's filter weighs in fixed point, so the two may differ by a few
// levels; each channel of each device pixel wholly inside the picture must be
// within kBilinearLevels. Returns how many are not, and where the first is.
constexpr int kBilinearLevels = 4;
std::pair<int64_t, QPoint> BeyondBilinear(const QImage& shown, const QImage& fresh, const Placement& at,
                                          double ratio) {
    std::pair<int64_t, QPoint> found;
    const double step = at.imagePixelsPerUnit / ratio;  // image pixels per device pixel
    const QPointF origin = at.origin * ratio;
    const auto channel = [&](int x, int y, int shift) {
        return (fresh.pixel(std::clamp(x, 0, fresh.width() - 1), std::clamp(y, 0, fresh.height() - 1)) >>
                shift) &
               0xff;
    };
    for (int y = int(std::ceil(origin.y())); y + 1 <= origin.y() + fresh.height() / step; ++y) {
        for (int x = int(std::ceil(origin.x())); x + 1 <= origin.x() + fresh.width() / step; ++x) {
            const double u = (x + 0.5 - origin.x()) * step - 0.5, v = (y + 0.5 - origin.y()) * step - 0.5;
            const int u0 = int(std::floor(u)), v0 = int(std::floor(v));
            const double fu = u - u0, fv = v - v0;
            bool off = false;
            for (const int shift : {16, 8, 0}) {
                const double mixed =
                    (channel(u0, v0, shift) * (1 - fu) + channel(u0 + 1, v0, shift) * fu) * (1 - fv) +
                    (channel(u0, v0 + 1, shift) * (1 - fu) + channel(u0 + 1, v0 + 1, shift) * fu) * fv;
                off |= std::abs(mixed - ((shown.pixel(x, y) >> shift) & 0xff)) > kBilinearLevels;
            }
            if (off && found.first++ == 0) found.second = QPoint(x, y);
        }
    }
    return found;
}

// How many pixels differ, and where the first one is.
std::pair<int64_t, QPoint> Differences(const QImage& shown, const QImage& expected) {
    std::pair<int64_t, QPoint> found;
    for (int y = 0; y < shown.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            if (a[x] != b[x] && found.first++ == 0) found.second = QPoint(x, y);
        }
    }
    return found;
}

// Left, Right and P held as a player holds them: key events to the window,
// a press or a release whenever one changes, seen by the game's keyboard.
class Player {
public:
    explicit Player(QWidget& window) : window_(window) {}

    // P while paused; otherwise the paddle goes for a falling item that
    // reaches it before the ball, follows the ball, or, to miss, runs from it.
    void Play(const game::Game& g, bool miss) {
        const game::GameState& s = g.state;
        wanted.ReleaseAll();
        if (g.locals.paused) {
            wanted.Press(vk::P);
        } else {
            const double ballDown = s.paddleY - s.ballY - s.ballHeight;
            const double ballFrames = s.ballDY > 0
                                          ? ballDown / s.ballDY
                                          : (ballDown + 2.0 * (s.ballY - game::kCeiling)) / -s.ballDY;
            const double itemFrames = double(s.paddleY - s.specialY - s.specialHeight) / s.specialSpeed;
            double target = testsupport::BallCentre(s);
            if (miss) {
                target = target < (game::kLeftWall + game::kRightWall) / 2.0 ? game::kRightWall
                                                                             : game::kLeftWall;
            } else if (s.specialFalling && itemFrames < ballFrames) {
                target = s.specialX + s.specialWidth / 2.0;
            }
            testsupport::SteerTowards(s, target, 0, wanted);
        }
        const std::pair<int32_t, Qt::Key> keys[] = {
            {vk::Left, Qt::Key_Left}, {vk::Right, Qt::Key_Right}, {vk::P, Qt::Key_P}};
        for (const auto& [virtualKey, key] : keys) {
            const bool down = wanted.IsDown(virtualKey);
            if (down == held_[key]) continue;
            held_[key] = down;
            if (down) {
                QTest::keyPress(&window_, key);
            } else {
                QTest::keyRelease(&window_, key);
            }
        }
    }

    FakeKeyboard wanted;  // the keys held for the coming frame

private:
    QWidget& window_;
    std::map<int, bool> held_;
};

// The brick the coming frame breaks, found by playing it ahead on the fake
// platform with the same state and keys; 0 for none.
int BrickBrokenNext(const game::Game& g, const FakeKeyboard& keys) {
    platform::fake::FakePlatform ahead;
    ahead.surface.recording = false;
    ahead.keyboard = keys;
    game::Game copy(ahead.Services(), "unused");
    copy.state = g.state;
    copy.locals = g.locals;
    copy.RunFrame();
    for (int i = 1; i <= game::BrickTable::kCount; ++i) {
        if (g.state.bricks[i].alive && !copy.state.bricks[i].alive) return i;
    }
    return 0;
}

class ScaleProof : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleProof, EveryFrameOnScreenIsTheFrameDrawnAfresh) {
    const ScaleCase& c = GetParam();
    testpics::ProgramDir program;
    frmMain window(program.folder);
    window.SetFullScreen(true);  // as chosen in an earlier game
    std::string error;
    ASSERT_TRUE(window.ShowAndFocus(error)) << error;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QSizeF screen = QSizeF(window.screen()->geometry().size()) * c.desktopScale;
    if (window.devicePixelRatioF() != c.desktopScale ||
        std::abs(screen.width() - c.screen.width()) >= c.desktopScale ||
        std::abs(screen.height() - c.screen.height()) >= c.desktopScale) {
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=" << c.desktopScale << " and an offscreen screen of "
                     << c.screen.width() << "x" << c.screen.height() << ": ctest -R ScaleProof";
    }
    // The same game every run, rather than one seeded by the time of day.
    window.Random().Randomize(27);
    game::Game& g = window.Game();
    const platform::qt::QtSurface& surface = window.Surface();
    int frame = 0;
    const auto expectShownAfresh = [&](bool title, const char* when) {
        const QImage shown = Shown(window);
        ASSERT_FALSE(shown.isNull()) << when << ": the backing store is not the window's size";
        const QImage fresh = DrawnAfresh(window, program.sheet, title);
        const QImage expected = Expected(fresh, surface.ImagePlacement(), shown.size(),
                                         window.devicePixelRatioF(), window.Sharp());
        const auto [count, first] = Differences(shown, expected);
        EXPECT_EQ(count, 0) << when << " (frame " << frame << ", scale " << surface.Scale()
                            << "): the first at device pixel " << first.x() << "," << first.y();
        EXPECT_EQ(surface.ImagePlacement().smooth, window.isFullScreen() && c.sharp) << when;
        if (surface.ImagePlacement().smooth) {
            const auto [beyond, at] =
                BeyondBilinear(shown, fresh, surface.ImagePlacement(), window.devicePixelRatioF());
            EXPECT_EQ(beyond, 0) << when << " (frame " << frame << "): the first beyond the plain bilinear "
                                 << "filter's picture at device pixel " << at.x() << "," << at.y();
        }
        if (count > 0 && QDir().mkpath(QStringLiteral(TILEBASH_DIFF_DIR))) {
            const QString name =
                QStringLiteral(TILEBASH_DIFF_DIR "/scale-proof-%1-%2").arg(c.name).arg(frame);
            shown.save(name + ".shown.png");
            expected.save(name + ".expected.png");
        }
    };
    // F11 or Escape, as a player presses it between two frames or during a
    // title; the image's scale follows the window.
    const auto press = [&](Qt::Key key, bool toFullScreen) {
        QTest::keyClick(&window, key);
        window.Events().DoEvents();
        EXPECT_EQ(window.isFullScreen(), toFullScreen) << "frame " << frame;
        EXPECT_EQ(surface.Scale(), toFullScreen ? c.fullScreenScale : c.windowScale) << "frame " << frame;
    };

    QTimer::singleShot(500, &window, [&] { press(Qt::Key_Escape, false); });
    g.state.newGame = true;
    g.SetUpStage();  // the level title, two seconds
    expectShownAfresh(true, "the first level title, full screen left during it");

    Player player(window);
    bool itemFell = false, itemCaught = false, brickCaption = false, ballLost = false;
    int clearedAt = 0;
    while (++frame <= 4000 && (clearedAt == 0 || frame <= clearedAt + 400)) {
        const int16_t lives = g.state.lives;
        if (g.state.lives == 0) g.state.lives = 1;  // the Game Over box is modal: no game over here
        player.Play(g, !ballLost && frame >= 1100);
        if (clearedAt == 0 && itemCaught && frame >= 1800 && !g.state.effectActive) {
            // The player has cleared all but the brick the ball breaks now.
            if (const int last = BrickBrokenNext(g, player.wanted)) {
                for (int i = 1; i <= game::BrickTable::kCount; ++i) g.state.bricks[i].alive = i == last;
            }
        }
        if (g.RunFrame() == game::FrameEnd::EndPlayStage) {
            ASSERT_EQ(g.state.stage, 2) << "frame " << frame << ": not a cleared stage";
            clearedAt = frame;
            QTimer::singleShot(500, &window, [&] { press(Qt::Key_F11, true); });
            g.SetUpStage();
            expectShownAfresh(true, "the next level title, full screen entered during it");
            continue;
        }
        window.Events().DoEvents();  // the frame's wait begins so
        itemFell |= g.state.specialFalling;
        itemCaught |= g.state.captionFrames > 0;
        for (int i = 1; i <= game::BrickTable::kCount; ++i) brickCaption |= g.state.bricks[i].captionOn;
        if (g.state.lives < lives) {
            ballLost = true;
            expectShownAfresh(false, "a ball lost");
        }
        if (frame == 900 || frame == 1750 || (clearedAt > 0 && frame == clearedAt + 300)) {
            press(Qt::Key_F11, !window.isFullScreen());
            expectShownAfresh(false, "F11 pressed");
        } else if (frame % 250 == 0) {
            expectShownAfresh(false, "a frame of play");
        }
    }
    EXPECT_TRUE(itemFell && itemCaught && brickCaption && ballLost && clearedAt > 0)
        << "item fell " << itemFell << ", caught " << itemCaught << ", brick caption " << brickCaption
        << ", ball lost " << ballLost << ", stage cleared " << (clearedAt > 0);
}

// Moved to a monitor of twice the scale and back, the window is fitted again
// and shows the frame drawn afresh at the new scale, with nothing of the old
// one left. Two offscreen screens of 100 and 200 % (ScaleProof.MovedBetweenMonitors).
TEST(ScaleProofMonitors, AWindowMovedToAMonitorOfAnotherScaleShowsItsFrameDrawnAfreshThere) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() != 2 || screens[1]->devicePixelRatio() != 2) {
        GTEST_SKIP() << "needs two offscreen screens of 100 and 200 %: ctest -R ScaleProof";
    }
    testpics::ProgramDir program;
    frmMain window(program.folder);
    std::string error;
    ASSERT_TRUE(window.ShowAndFocus(error)) << error;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Random().Randomize(27);
    game::Game& g = window.Game();
    g.state.newGame = true;
    g.SetUpStage();
    Player player(window);
    for (QScreen* to : {screens[1], screens[0]}) {
        for (int frame = 0; frame < 300; ++frame) {
            player.Play(g, false);
            g.RunFrame();
            window.Events().DoEvents();
        }
        window.move(to->geometry().center() - QPoint(320, 210));
        QTest::qWait(50);
        const double ratio = to->devicePixelRatio();
        ASSERT_EQ(window.devicePixelRatioF(), ratio);
        EXPECT_EQ(window.Surface().Scale(), static_cast<int32_t>(ratio));
        g.RunFrame();
        window.Events().DoEvents();
        const QImage shown = Shown(window);
        ASSERT_FALSE(shown.isNull()) << "on the screen at " << ratio;
        const QImage expected =
            Expected(DrawnAfresh(window, program.sheet, false), window.Surface().ImagePlacement(),
                     shown.size(), ratio, window.Sharp());
        const auto [count, first] = Differences(shown, expected);
        EXPECT_EQ(count, 0) << "on the screen at " << ratio << ": the first at " << first.x() << ","
                            << first.y();
    }
}

// Desktop scales of 100 to 300 %, and 125, 150 and 175 % (QT_SCALE_FACTOR,
// which the program takes as given), where the image stays at 1x and Qt
// scales the rest; full screen on a screen such a desktop might have. On a
// laptop's 1366 x 768 and a handheld's 1280 x 800 a whole scale of 1 fills
// half the height: the field is drawn at 2x and smoothed down to fill it.
// 2560 x 1600 at 150 % keeps 3x, which leaves a fifth of the height.
const ScaleCase kCases[] = {
    {"At100Percent", 1, {1920, 1080}, 1, 2},
    {"At200Percent", 2, {3840, 2160}, 2, 5},
    {"At300Percent", 3, {2560, 1440}, 3, 3},
    {"At125Percent", 1.25, {1920, 1080}, 1, 2},
    {"At150Percent", 1.5, {1920, 1080}, 1, 2},
    {"At175Percent", 1.75, {2560, 1440}, 1, 3},
    {"SharpOnALaptop", 1, {1366, 768}, 1, 2, true},
    {"SharpOnAHandheld", 1, {1280, 800}, 1, 2, true},
    {"At150PercentOn2560x1600", 1.5, {2560, 1600}, 1, 3},
};

INSTANTIATE_TEST_SUITE_P(Desktop, ScaleProof, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ScaleCase>& each) { return each.param.name; });

}  // namespace
