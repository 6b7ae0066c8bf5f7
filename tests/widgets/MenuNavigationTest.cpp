// Moving between the windows, games through Start, and the close-down.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "MenuTestSupport.h"
#include "menu/frmInfo.h"

namespace {

using menu_test::MenuFixture;

TEST(MenuNavigation, StartRunsAGameAndComesBackWithItsScore) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.PlayGame(1234);
    EXPECT_EQ(menu.play.created, 1);
    EXPECT_EQ(menu.play.games, 1);
    EXPECT_EQ(menu.play.hidden, 1);
    EXPECT_EQ(splash.LastScore(), 1234);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(menu.prompts.empty());

    menu.PlayGame(99);
    EXPECT_EQ(menu.play.created, 1) << "the play window is made once";
    EXPECT_EQ(menu.play.games, 2);
    EXPECT_EQ(splash.LastScore(), 99);
}

TEST(MenuNavigation, TheStartWindowIsHiddenWhileTheGameRuns) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    bool visibleDuringGame = true;
    menu.duringGame = [&] { visibleDuringGame = splash.isVisible(); };
    menu.PlayGame(0);
    EXPECT_FALSE(visibleDuringGame);
}

TEST(MenuNavigation, InfoLoadsOnceAndBackToMainKeepsTheTable) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu_test::ScoreBox(splash, 0)->setText("edited");
    splash.cmdInfo_Click();
    frmInfo* info = splash.InfoWindow();
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->isVisible());
    EXPECT_FALSE(splash.isVisible());

    menu_test::Button(*info, "cmdMainMenu")->click();
    EXPECT_FALSE(info->isVisible());
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(menu_test::ScoreBox(splash, 0)->text(), "edited");

    splash.cmdInfo_Click();
    EXPECT_EQ(splash.InfoWindow(), info) << "shown again as it was, not reloaded";
}

TEST(MenuNavigation, ClosingTheInformationWindowReturnsToTheStartWindow) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    splash.cmdInfo_Click();
    frmInfo* info = splash.InfoWindow();
    info->close();
    EXPECT_FALSE(info->isVisible());
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(menu.quits.empty());
    EXPECT_EQ(splash.InfoWindow(), info);
}

TEST(MenuNavigation, ExitRightAfterStartEndsWithoutLoadingTheOtherWindows) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu_test::Button(splash, "cmdExit")->click();
    EXPECT_EQ(menu.play.created, 0);
    EXPECT_EQ(splash.InfoWindow(), nullptr);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(menu.quits, std::vector<int>{0});
}

TEST(MenuNavigation, TheCloseDownEnteredAgainChangesNothing) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.PlayGame(0);
    splash.cmdInfo_Click();
    menu_test::Button(*splash.InfoWindow(), "cmdMainMenu")->click();

    splash.cmdExit_Click();
    EXPECT_EQ(menu.play.unloaded, 1);
    EXPECT_EQ(menu.play.destroyed, 1);
    EXPECT_EQ(splash.InfoWindow(), nullptr);
    EXPECT_FALSE(splash.isVisible());

    splash.UnloadAllForms();
    splash.close();
    EXPECT_EQ(menu.play.unloaded, 1);
    EXPECT_EQ(menu.quits, std::vector<int>{0});
    EXPECT_TRUE(menu.errors.empty());
}

TEST(MenuNavigation, ACloseRequestToTheStartWindowDoesWhatExitDoes) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.PlayGame(0);
    splash.cmdInfo_Click();
    menu_test::Button(*splash.InfoWindow(), "cmdMainMenu")->click();

    EXPECT_TRUE(splash.close());
    EXPECT_EQ(menu.play.unloaded, 1);
    EXPECT_EQ(menu.play.destroyed, 1);
    EXPECT_EQ(splash.InfoWindow(), nullptr);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(menu.quits, std::vector<int>{0});
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    }
}

TEST(MenuNavigation, ACloseDownDuringAGameLetsTheGameEndBeforeDroppingItsWindow) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.duringGame = [&] { splash.UnloadAllForms(); };
    menu.PlayGame(40000);
    EXPECT_EQ(menu.play.unloaded, 1);
    EXPECT_FALSE(menu.play.destroyedDuringMain);
    EXPECT_EQ(menu.play.destroyed, 1);
    EXPECT_EQ(splash.PlayWindowIfCreated(), nullptr);
    EXPECT_EQ(menu.play.hidden, 0);
    EXPECT_FALSE(splash.isVisible()) << "the start window does not come back";
    EXPECT_TRUE(menu.prompts.empty()) << "no name entry after the close-down";
    EXPECT_EQ(menu.quits, std::vector<int>{0});
    EXPECT_EQ(menu_test::ReadBytes(menu.HighScorePath()), menu_test::kDefaultBytes);
}

TEST(MenuNavigation, AMissingSpriteSheetIsReportedAndEndsTheProgramWithAFailure) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.loadError = "Cannot load the sprite sheet \"/x/Images/bitmaps.bmp\": missing.";
    menu.PlayGame(0);
    ASSERT_EQ(menu.errors.size(), 1u);
    EXPECT_EQ(menu.errors[0].text.toStdString(), menu.loadError);
    EXPECT_EQ(menu.play.games, 0);
    EXPECT_EQ(menu.play.unloaded, 1);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(menu.quits, std::vector<int>{1});
    EXPECT_EQ(splash.ExitCode(), 1);
}

}  // namespace
