// Where a window opens: centred on the screen that holds the pointer.

#include "windows/WindowPlacement.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <vector>

#include "GeometryPrinters.h"
#include "MenuTestSupport.h"
#include "windows/WindowLook.h"

namespace {

using windows::CentredPosition;
using windows::ScreenArea;

// Two 1920 x 1080 screens side by side, a panel along the top of the left
// one, and a smaller screen above the right one.
const std::vector<ScreenArea> kDesk{
    {QRect(0, 0, 1920, 1080), QRect(0, 32, 1920, 1048)},       // primary
    {QRect(1920, 0, 1920, 1080), QRect(1920, 0, 1920, 1040)},  // dock at its bottom
    {QRect(1920, -768, 1024, 768), QRect(1920, -768, 1024, 768)},
};

TEST(WindowPlacement, WindowIsCentredInTheFreeAreaOfTheScreenUnderThePointer) {
    struct Case {
        const char* what;
        QPoint pointer;
        QSize window;
        QPoint expected;
    };
    const std::vector<Case> cases{
        {"primary, below its panel", {100, 100}, {320, 400}, {800, 32 + 324}},
        {"second screen, above its dock", {2500, 900}, {500, 400}, {1920 + 710, 320}},
        {"screen above, negative coordinates", {2000, -10}, {640, 420}, {1920 + 192, -768 + 174}},
        {"first pixel of the second screen", {1920, 0}, {320, 400}, {1920 + 800, 320}},
        {"last pixel of the primary", {1919, 1079}, {320, 400}, {800, 356}},
        {"pointer between screens: the primary", {3000, -10}, {320, 400}, {800, 356}},
        {"odd leftover: rounds towards the top left", {100, 100}, {321, 401}, {799, 32 + 323}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CentredPosition(kDesk, c.pointer, c.window), c.expected) << c.what;
    }
}

TEST(WindowPlacement, WindowLargerThanTheScreenKeepsItsTopLeftCornerOnIt) {
    const std::vector<ScreenArea> small{{QRect(0, 0, 600, 380), QRect(0, 20, 600, 360)}};
    EXPECT_EQ(CentredPosition(small, {10, 10}, {640, 420}), QPoint(0, 20));
    EXPECT_EQ(CentredPosition(small, {10, 10}, {500, 420}), QPoint(50, 20));
    EXPECT_EQ(CentredPosition({}, {10, 10}, {320, 400}), QPoint(0, 0)) << "no screen at all";
}

// The pointer rests on the primary screen; where a 320 x 400 window centres there.
QPoint PointerOnPrimaryScreen() {
    menu_test::EnsureApplication();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    QCursor::setPos(screen->geometry().center());
    const QRect area = screen->availableGeometry();
    return {area.x() + (area.width() - 320) / 2, area.y() + (area.height() - 400) / 2};
}

TEST(WindowPlacement, CentringUsesTheRealScreenUnderThePointer) {
    const QPoint centred = PointerOnPrimaryScreen();
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    QWidget window;
    window.setFixedSize(320, 400);
    windows::CentreOnPointerScreen(window);
    EXPECT_EQ(window.pos(), centred);
}

TEST(WindowPlacement, AWindowIsCentredWhenFirstShownAndLaterOpensWhereItWasLeft) {
    const QPoint centred = PointerOnPrimaryScreen();
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    QWidget window;
    window.resize(320, 400);  // as its form would
    windows::SetUpWindow(window);
    window.move(7, 9);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.pos(), centred) << "the first show centres it";
    window.move(centred + QPoint(30, 20));
    window.hide();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.pos(), centred + QPoint(30, 20)) << "a later show leaves it where it was";
}

}  // namespace
