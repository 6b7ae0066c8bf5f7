// The play-field window: its properties, loading, showing the image, the
// close request, and a whole game running in the real event loop.

#include <gtest/gtest.h>

#include <QBackingStore>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <vector>

#include "TestPictures.h"
#include "app/ProgramFolder.h"
#include "app/frmMain.h"

using testpics::ProgramDir;

TEST(frmMain, IsABorderless640By420WindowWithAHiddenPictureHolder) {
    frmMain window("nowhere");
    EXPECT_EQ(window.objectName(), QStringLiteral("frmMain"));
    EXPECT_EQ(window.size(), QSize(640, 420));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tilebash"));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window.isWindow());
    EXPECT_EQ(window.cursor().shape(), Qt::BlankCursor);
    EXPECT_FALSE(window.windowIcon().isNull());
    auto* bitmaps = window.findChild<QLabel*>(QStringLiteral("Bitmaps"));
    ASSERT_NE(bitmaps, nullptr);
    EXPECT_EQ(bitmaps->geometry(), QRect(544, 80, 80, 160));
    EXPECT_TRUE(bitmaps->isHidden());
    EXPECT_FALSE(window.IsLoaded());
}

TEST(frmMain, MissingSheetFailsTheLoadAndKeepsTheWindowHidden) {
    QTemporaryDir dir;
    const std::string folder = dir.filePath("no sheet here").toStdString();
    frmMain window(folder);
    std::string error;
    EXPECT_FALSE(window.ShowAndFocus(error));
    EXPECT_NE(error.find(folder + "/Images/bitmaps.bmp"), std::string::npos) << error;
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.IsLoaded());
}

TEST(frmMain, ShowingLoadsOnceCentresAndShowsTheImageOneToOne) {
    ProgramDir program;
    frmMain window(program.folder);
    std::string error;
    ASSERT_TRUE(window.ShowAndFocus(error)) << error;
    EXPECT_TRUE(window.IsLoaded());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Surface().Sheet().size(), QSize(80, 160));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window.geometry().center() - screen.center()).manhattanLength(), 2);

    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Game().NewGame();
    window.Game().ServeBall();
    window.Game().BuildWall();
    ASSERT_TRUE(window.Game().DrawFrame());
    window.Surface().Flush();
    EXPECT_EQ(window.grab().toImage().convertToFormat(QImage::Format_RGB32), window.Surface().Image());
    // And the picture handed to the window system: the repaint copies into it directly.
    QPaintDevice* backing = window.backingStore()->paintDevice();
    ASSERT_EQ(backing->devType(), QInternal::Image);
    EXPECT_EQ(static_cast<QImage*>(backing)->convertToFormat(QImage::Format_RGB32),
              window.Surface().Image());

    window.move(5, 5);  // a later show keeps the place
    ASSERT_TRUE(window.ShowAndFocus(error));
    EXPECT_EQ(window.pos(), QPoint(5, 5));
}

TEST(frmMain, CloseRequestEndsTheGameAndUnloadsTheWindow) {
    ProgramDir program;
    frmMain window(program.folder);
    std::string error;
    ASSERT_TRUE(window.ShowAndFocus(error)) << error;
    window.Game().state.quitGame = false;
    window.Game().state.newGame = true;
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(window.Game().state.quitGame);
    EXPECT_FALSE(window.Game().state.newGame);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.IsLoaded());
}

TEST(frmMain, UnloadRunsTheCloseRequestOnlyWhenLoaded) {
    ProgramDir program;
    frmMain window(program.folder);
    window.Unload();  // never loaded: nothing to do
    EXPECT_FALSE(window.Game().state.quitGame);
    std::string error;
    ASSERT_TRUE(window.ShowAndFocus(error)) << error;
    window.hide();  // hidden between games, still loaded
    window.Unload();
    EXPECT_TRUE(window.Game().state.quitGame);
    EXPECT_FALSE(window.IsLoaded());
    window.Game().state.quitGame = false;
    window.Unload();  // the close-down may come twice
    EXPECT_FALSE(window.Game().state.quitGame);
}

TEST(frmMain, GameRunsInTheEventLoopUntilQIsPressed) {
    ProgramDir program;
    frmMain window(program.folder);
    std::string error;
    ASSERT_TRUE(window.ShowAndFocus(error)) << error;
    // Once frames run (after the two-second title), Q held down ends the game;
    // the loop must keep handling key events while it waits out its frames.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (window.Surface().RefreshCount() > 0) {
            QTest::keyPress(&window, Qt::Key_Q);
            poll.stop();
        }
    });
    poll.start(10);
    QTimer::singleShot(15000, &window, [&] { window.close(); });  // a safety net
    platform::qt::QtClock clock;
    const int32_t start = clock.GetTickCount();
    EXPECT_EQ(window.Main(), 0);
    const int32_t took = clock.GetTickCount() - start;
    QTest::keyRelease(&window, Qt::Key_Q);
    EXPECT_GE(took, 2000);
    EXPECT_LT(took, 14000) << "the close request, not Q, ended the game";
    EXPECT_TRUE(window.Game().state.quitGame);
    EXPECT_FALSE(window.Game().state.newGame);      // Q, not game over
    EXPECT_GE(window.Surface().RefreshCount(), 1);  // frames ran and were shown
}

namespace {

// The window system answers a change of state with a resize a little later.
bool CoversSoon(const frmMain& window, const QRect& geometry) {
    return QTest::qWaitFor([&] { return window.geometry() == geometry; }, 2000);
}

void PressOnce(frmMain& window, QKeyCombination key, bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), QString(), autoRepeat);
    QCoreApplication::sendEvent(&window, &press);
}

}  // namespace

TEST(frmMain, FullScreenKeysSwitchItAndOnlyThePlayersSwitchIsKept) {
    ProgramDir program;
    frmMain window(program.folder);
    std::vector<bool> kept;
    window.OnFullScreenChosen([&kept](bool on) { kept.push_back(on); });
    std::string error;
    ASSERT_TRUE(window.ShowAndFocus(error)) << error;
    window.move(5, 5);
    const QRect screen = window.screen()->geometry();
    const QRect windowed(QPoint(5, 5), QSize(640, 420));
    // The desktop's own shortcut besides F11 (Alt+Enter, Ctrl+Shift+F, Ctrl+F11
    // or Ctrl+Meta+F by the desktop, as Qt's theme names it).
    std::vector<QKeyCombination> keys{QKeyCombination(Qt::Key_F11)};
    for (const QKeySequence& shortcut : QKeySequence::keyBindings(QKeySequence::FullScreen)) {
        if (shortcut[0] != keys.front()) keys.push_back(shortcut[0]);
    }
    ASSERT_GE(keys.size(), 2u) << "this platform's theme names no full-screen shortcut to try";
    for (const QKeyCombination key : keys) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        kept.clear();
        PressOnce(window, key);
        EXPECT_TRUE(window.isFullScreen());
        EXPECT_TRUE(CoversSoon(window, screen));
        PressOnce(window, key, /*autoRepeat=*/true);
        EXPECT_TRUE(window.isFullScreen()) << "held down, it repeats nothing";
        PressOnce(window, key);
        EXPECT_FALSE(window.isFullScreen()) << "pressed again";
        EXPECT_TRUE(CoversSoon(window, windowed)) << "back where it stood";
        EXPECT_EQ(kept, (std::vector<bool>{true, false}));
    }
    kept.clear();
    PressOnce(window, Qt::Key_Escape);
    EXPECT_FALSE(window.isFullScreen()) << "Escape only leaves full screen";
    window.SetFullScreen(true);  // as --fullscreen does: this run only
    EXPECT_TRUE(CoversSoon(window, screen));
    PressOnce(window, Qt::Key_Escape);
    EXPECT_FALSE(window.isFullScreen());
    EXPECT_TRUE(CoversSoon(window, windowed));
    EXPECT_EQ(kept, (std::vector<bool>{false})) << "only Escape's leaving is the player's";
}

TEST(ProgramFolder, IsTheApplicationFolderUnchanged) {
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath().toStdString());
    EXPECT_NE(ProgramFolder().back(), '/');
}
