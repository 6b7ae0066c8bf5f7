// Dragging the borderless windows by their background. The off-screen platform
// offers no system move, so these drive the by-hand path a bare X server gets.

#include "windows/WindowDrag.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <memory>
#include <string>
#include <vector>

#include "GeometryPrinters.h"
#include "MenuTestSupport.h"
#include "app/frmMain.h"
#include "menu/frmInfo.h"

namespace {

constexpr QPoint kHome(100, 120);

// Drives the pointer in desktop coordinates, the way the window system would:
// every event's window position follows from where the window is right now.
class Pointer {
public:
    explicit Pointer(QWidget& window) : window_(window) {}

    void Press(QPoint global, Qt::MouseButton button = Qt::LeftButton) {
        at_ = global;
        QTest::mousePress(Handle(), button, {}, Local(global));
    }
    // Travels to global in a few steps, as a real pointer reports its motion.
    void MoveTo(QPoint global, int steps = 4) {
        const QPoint from = at_;
        for (int i = 1; i <= steps; ++i) {
            at_ = from + (global - from) * i / steps;
            QTest::mouseMove(Handle(), Local(at_));
        }
    }
    void Release(Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(Handle(), button, {}, Local(at_));
    }
    QPoint At() const { return at_; }

private:
    QWindow* Handle() const { return window_.windowHandle(); }
    QPoint Local(QPoint global) const { return global - window_.pos(); }

    QWidget& window_;
    QPoint at_;
};

// A borderless window with one of each kind of control on it.
struct TestWindow {
    TestWindow() {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.setFixedSize(300, 200);
        button = new QPushButton(QStringLiteral("Go"), &window);
        button->setGeometry(10, 10, 80, 30);
        label = new QLabel(QStringLiteral(" 1"), &window);
        label->setGeometry(10, 60, 40, 20);
        disabled = new QPushButton(QStringLiteral("Off"), &window);
        disabled->setGeometry(10, 100, 80, 30);
        disabled->setEnabled(false);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
    }
    void Show() {
        window.move(kHome);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_EQ(window.pos(), kHome);
    }
    QPoint Global(QPoint local) const { return window.pos() + local; }

    struct Application {
        Application() { menu_test::EnsureApplication(); }
    } application;  // before any widget
    QWidget window;
    QPushButton* button = nullptr;
    QLabel* label = nullptr;
    QPushButton* disabled = nullptr;
    int clicks = 0;
};

TEST(WindowDrag, DragOnTheBackgroundMovesTheWindowByThePointersTravel) {
    TestWindow t;
    windows::WindowDrag& drag = windows::WindowDrag::Install(t.window);
    t.Show();
    Pointer pointer(t.window);
    pointer.Press(t.Global({200, 100}));
    pointer.MoveTo(pointer.At() + QPoint(20, 0));
    EXPECT_TRUE(drag.MovingByHand());
    EXPECT_EQ(t.window.pos(), kHome + QPoint(20, 0)) << "the window follows while the button is held";
    pointer.MoveTo(pointer.At() + QPoint(-60, 45));
    pointer.Release();
    EXPECT_FALSE(drag.MovingByHand());
    EXPECT_EQ(t.window.pos(), kHome + QPoint(-40, 45));
    // The pointer is still over the same spot of the window.
    EXPECT_EQ(pointer.At() - t.window.pos(), QPoint(200, 100));

    // Motion after the release moves nothing.
    QTest::mouseMove(t.window.windowHandle(), QPoint(250, 150));
    EXPECT_EQ(t.window.pos(), kHome + QPoint(-40, 45));
}

TEST(WindowDrag, ClickOrWobbleWithoutRealTravelLeavesTheWindowWhereItWas) {
    TestWindow t;
    windows::WindowDrag::Install(t.window);
    t.Show();
    Pointer pointer(t.window);
    for (const QPoint wobble : {QPoint(0, 0), QPoint(2, -1), QPoint(-3, 3)}) {
        pointer.Press(t.Global({200, 100}));
        pointer.MoveTo(pointer.At() + wobble, 1);
        pointer.Release();
        EXPECT_EQ(t.window.pos(), kHome) << "wobble " << wobble.x() << "," << wobble.y();
    }
}

TEST(WindowDrag, PressesOnControlsOrOtherButtonsOrOutsideTheHandleDoNotDrag) {
    struct Case {
        const char* what;
        QPoint press;  // window coordinates
        Qt::MouseButton button;
        QRect handle;
    };
    const std::vector<Case> cases{
        {"a button", {50, 25}, Qt::LeftButton, {}},
        {"a label, which passes its presses on to the window", {20, 70}, Qt::LeftButton, {}},
        {"a disabled button", {50, 115}, Qt::LeftButton, {}},
        {"the right button on the background", {200, 100}, Qt::RightButton, {}},
        {"the background outside the handle", {100, 100}, Qt::LeftButton, QRect(150, 0, 150, 200)},
    };
    for (const Case& c : cases) {
        TestWindow t;
        windows::WindowDrag::Install(t.window, c.handle);
        t.Show();
        Pointer pointer(t.window);
        pointer.Press(t.Global(c.press), c.button);
        pointer.MoveTo(pointer.At() + QPoint(70, 40));
        pointer.Release(c.button);
        EXPECT_EQ(t.window.pos(), kHome) << c.what;
    }
}

TEST(WindowDrag, ButtonsStillClickAndTheHandleStillDrags) {
    TestWindow t;
    windows::WindowDrag::Install(t.window, QRect(150, 0, 150, 200));
    t.Show();
    QTest::mouseClick(t.window.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
    EXPECT_EQ(t.clicks, 1);
    Pointer pointer(t.window);
    pointer.Press(t.Global({250, 20}));
    pointer.MoveTo(pointer.At() + QPoint(30, 30));
    pointer.Release();
    EXPECT_EQ(t.window.pos(), kHome + QPoint(30, 30));
    QTest::mouseClick(t.window.windowHandle(), Qt::LeftButton, {}, QPoint(50, 25));
    EXPECT_EQ(t.clicks, 2) << "the button works where the window now is";
}

TEST(WindowDrag, StartWindowMovesByItsBackgroundAndItsButtonsStillWork) {
    menu_test::MenuFixture fixture;
    frmSplash& splash = fixture.CreateShown();
    splash.move(kHome);
    QTest::qWait(0);
    ASSERT_EQ(splash.pos(), kHome);
    Pointer pointer(splash);
    pointer.Press(splash.pos() + QPoint(220, 60));  // on the title logo
    pointer.MoveTo(pointer.At() + QPoint(90, 35));
    pointer.Release();
    EXPECT_EQ(splash.pos(), kHome + QPoint(90, 35));
    // A drag that starts on a high-score box moves nothing.
    pointer.Press(splash.pos() + QPoint(100, 200));
    pointer.MoveTo(pointer.At() + QPoint(50, 50));
    pointer.Release();
    EXPECT_EQ(splash.pos(), kHome + QPoint(90, 35));

    QTest::mouseClick(splash.windowHandle(), Qt::LeftButton, {}, QPoint(160, 148));  // Info
    ASSERT_NE(splash.InfoWindow(), nullptr) << "Info still opens the information window";
    frmInfo& info = *splash.InfoWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
    const QPoint infoHome = info.pos();
    Pointer onInfo(info);
    onInfo.Press(info.pos() + QPoint(250, 20));
    onInfo.MoveTo(onInfo.At() + QPoint(-25, 15));
    onInfo.Release();
    EXPECT_EQ(info.pos(), infoHome + QPoint(-25, 15));
}

TEST(WindowDrag, PlayWindowMovesByItsStatusSideOnlyNeverByThePlayArea) {
    menu_test::EnsureApplication();
    frmMain play(std::string("/nonexistent"));
    play.show();  // shown, not loaded: no sheet is needed to drag it
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&play));
    play.move(kHome);  // after the first show, which centres it
    QTest::qWait(0);
    ASSERT_EQ(play.pos(), kHome);
    Pointer pointer(play);
    for (const QPoint inPlayArea : {QPoint(20, 20), QPoint(300, 200), QPoint(529, 200), QPoint(480, 380)}) {
        pointer.Press(play.pos() + inPlayArea);
        pointer.MoveTo(pointer.At() + QPoint(40, 30));
        pointer.Release();
        EXPECT_EQ(play.pos(), kHome) << inPlayArea.x() << "," << inPlayArea.y();
    }
    pointer.Press(play.pos() + QPoint(585, 300));  // below the status panels
    pointer.MoveTo(pointer.At() + QPoint(40, 30));
    pointer.Release();
    EXPECT_EQ(play.pos(), kHome + QPoint(40, 30));

    // In full screen nothing drags it: moved by hand it would fall out of full
    // screen while the window still counted itself full screen.
    play.SetFullScreen(true);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return play.isFullScreen() && play.geometry() == play.screen()->geometry(); }));
    const QRect covered = play.geometry();
    pointer.Press(play.pos() + QPoint(585, 300));
    pointer.MoveTo(pointer.At() + QPoint(40, 30));
    pointer.Release();
    EXPECT_EQ(play.geometry(), covered);
    EXPECT_TRUE(play.isFullScreen());
}

}  // namespace
