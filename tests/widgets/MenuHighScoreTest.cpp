// The high-score table in the start window's boxes: loading, a new score's
// name entry, saving, and the file's faults as the player meets them.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <sys/stat.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "MenuTestSupport.h"

namespace {

using menu_test::kDefaultBytes;
using menu_test::MenuFixture;
using menu_test::ReadBytes;
using menu_test::WriteBytes;

void PressEnter(QLineEdit* box) {
    QTest::keyClick(box, Qt::Key_Return);
}

// Types characters one key press each, beyond what QTest's ASCII keys reach.
void Type(QLineEdit* box, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
}

TEST(MenuHighScores, AMissingFileIsCreatedAndShown) {
    MenuFixture menu;
    menu.Create();
    EXPECT_EQ(ReadBytes(menu.HighScorePath()), kDefaultBytes);
    EXPECT_EQ(menu.Names(), QStringList(5, "Tilebash"));
    EXPECT_EQ(menu.Scores(), (QStringList{"30000", "20000", "15000", "10000", "5000"}));
    EXPECT_TRUE(menu.errors.empty());
}

TEST(MenuHighScores, ANewHighScoreOpensItsRowForTheName) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    bool disabledDuringPrompt = false;
    QWidget* focusDuringPrompt = nullptr;
    menu.onPrompt = [&] {
        disabledDuringPrompt = menu.ButtonsDisabled();
        focusDuringPrompt = splash.focusWidget();
    };
    menu.PlayGame(20000);
    ASSERT_EQ(menu.prompts.size(), 1u);
    EXPECT_EQ(menu.prompts[0].text, "High Score! Type your name and press Enter.");
    EXPECT_EQ(menu.prompts[0].title, "Tilebash");
    EXPECT_TRUE(disabledDuringPrompt);
    EXPECT_EQ(focusDuringPrompt, menu_test::NameBox(splash, 2));
    EXPECT_EQ(menu.Scores(), (QStringList{"30000", "20000", "20000", "15000", "10000"}));
    EXPECT_FALSE(menu_test::NameBox(splash, 2)->isReadOnly());
    EXPECT_EQ(menu_test::NameBox(splash, 2)->text(), "");
    EXPECT_EQ(ReadBytes(menu.HighScorePath()), kDefaultBytes) << "nothing saved before Enter";

    QTest::keyClicks(menu_test::NameBox(splash, 2), "ABCDEFGHIJK");
    EXPECT_EQ(menu_test::NameBox(splash, 2)->text(), "ABCDEFGHIJ");
    PressEnter(menu_test::NameBox(splash, 2));
    EXPECT_TRUE(menu_test::NameBox(splash, 2)->isReadOnly());
    EXPECT_TRUE(menu.ButtonsEnabled());
    EXPECT_EQ(splash.focusWidget(), menu_test::Button(splash, "cmdStart"));
    EXPECT_EQ(ReadBytes(menu.HighScorePath()),
              "Tilebash\r\n30000\r\nTilebash\r\n20000\r\nABCDEFGHIJ\r\n20000\r\n"
              "Tilebash\r\n15000\r\nTilebash\r\n10000\r\n");
}

TEST(MenuHighScores, ANameBoxTakesOnlyWhatTheFileCanHold) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.PlayGame(30001);
    QLineEdit* box = menu_test::NameBox(splash, 0);
    Type(box, QString::fromUtf8("Zo\xC3\xAB\xC4\x80\xE2\x82\xAC"));  // Zoë, Ā, €
    EXPECT_EQ(box->text(), QString::fromUtf8("Zo\xC3\xAB\xE2\x82\xAC"));
    PressEnter(box);
    EXPECT_EQ(ReadBytes(menu.HighScorePath()).substr(0, 7), "Zo\xEB\x80\r\n3");
}

TEST(MenuHighScores, EnterOnAnEmptyNameStoresAnonymousButBlanksStayAsTyped) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.PlayGame(5001);
    PressEnter(menu_test::NameBox(splash, 4));
    EXPECT_EQ(menu_test::NameBox(splash, 4)->text(), "Anonymous");
    menu.PlayGame(5002);
    QTest::keyClicks(menu_test::NameBox(splash, 4), "   ");
    PressEnter(menu_test::NameBox(splash, 4));
    EXPECT_EQ(ReadBytes(menu.HighScorePath()).substr(68), "   \r\n5002\r\n");
}

TEST(MenuHighScores, EnterInAnyBoxConfirmsTheOpenEntryOrElseThatBox) {
    struct Case {
        const char* what;
        int32_t score;  // 0: no game, no entry open
        const char* typed;
        std::size_t enterRow;
        const char* file;
    };
    const Case cases[] = {
        {"no entry open: the box pressed is confirmed again", 0, "", 1, kDefaultBytes},
        {"Enter in another row confirms the open one", 12000, "Par", 0,
         "Tilebash\r\n30000\r\nTilebash\r\n20000\r\nTilebash\r\n15000\r\n"
         "Par\r\n12000\r\nTilebash\r\n10000\r\n"},
        {"an open row left empty becomes Anonymous", 12000, "", 0,
         "Tilebash\r\n30000\r\nTilebash\r\n20000\r\nTilebash\r\n15000\r\n"
         "Anonymous\r\n12000\r\nTilebash\r\n10000\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MenuFixture menu;
        frmSplash& splash = menu.CreateShown();
        WriteBytes(menu.HighScorePath(), "old");
        if (c.score != 0) {
            menu.PlayGame(c.score);
            QTest::keyClicks(menu_test::NameBox(splash, 3), c.typed);
        }
        PressEnter(menu_test::NameBox(splash, static_cast<int>(c.enterRow)));
        for (int row = 0; row < 5; ++row) EXPECT_TRUE(menu_test::NameBox(splash, row)->isReadOnly());
        EXPECT_TRUE(menu.ButtonsEnabled());
        EXPECT_EQ(splash.focusWidget(), menu_test::Button(splash, "cmdStart"));
        EXPECT_EQ(ReadBytes(menu.HighScorePath()), c.file);
    }
}

TEST(MenuHighScores, AScoreThatDoesNotEnterChangesNothing) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.PlayGame(5000);
    EXPECT_TRUE(menu.prompts.empty());
    EXPECT_TRUE(menu.ButtonsEnabled());
    EXPECT_EQ(menu.Scores(), (QStringList{"30000", "20000", "15000", "10000", "5000"}));
    for (QLineEdit* box : menu_test::NameBoxes(splash)) EXPECT_TRUE(box->isReadOnly());
}

TEST(MenuHighScores, AFileDeletedDuringTheRunIsRecreatedAndLaterOverwrittenByTheTable) {
    MenuFixture menu("Ann\r\n900\r\nBob\r\n800\r\nCy\r\n700\r\nDi\r\n600\r\nEd\r\n500\r\n", true);
    frmSplash& splash = menu.CreateShown();
    std::filesystem::remove(menu.HighScorePath());
    menu.PlayGame(100);
    EXPECT_EQ(ReadBytes(menu.HighScorePath()), kDefaultBytes);
    EXPECT_EQ(menu.Names(), (QStringList{"Ann", "Bob", "Cy", "Di", "Ed"}));

    menu.PlayGame(650);
    QTest::keyClicks(menu_test::NameBox(splash, 3), "New");
    PressEnter(menu_test::NameBox(splash, 3));
    EXPECT_EQ(ReadBytes(menu.HighScorePath()),
              "Ann\r\n900\r\nBob\r\n800\r\nCy\r\n700\r\nNew\r\n650\r\nDi\r\n600\r\n");
}

// Lifts the name boxes' length limit as the window builds them (their
// read-only switch comes right after the limit), so only the reading cuts.
class LiftNameLimit final : public QObject {
public:
    LiftNameLimit() { QApplication::instance()->installEventFilter(this); }
    ~LiftNameLimit() override { QApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (event->type() == QEvent::ReadOnlyChange && box != nullptr &&
            box->objectName().startsWith("txtHighScoreName_")) {
            box->setMaxLength(100);
        }
        return false;
    }
};

TEST(MenuHighScores, AShortOrDamagedFileShowsWhatItHasAndIsNotRewrittenUntilANameIsConfirmed) {
    const std::string bytes = "Long name of eleven\nbad score\r\nCy";
    MenuFixture menu(bytes, true);
    frmSplash& splash = [&]() -> frmSplash& {
        const LiftNameLimit lift;
        return menu.CreateShown();
    }();
    ASSERT_EQ(menu_test::NameBox(splash, 0)->maxLength(), 100);
    EXPECT_EQ(menu.Names(), (QStringList{"Long name ", "Cy", "", "", ""}));
    EXPECT_EQ(menu.Scores(), (QStringList{"bad score", "0", "0", "0", "0"}));
    EXPECT_TRUE(menu.errors.empty());
    menu.PlayGame(0);
    EXPECT_TRUE(menu.prompts.empty()) << "0 does not beat a row of 0";
    EXPECT_EQ(ReadBytes(menu.HighScorePath()), bytes);

    menu.PlayGame(1);  // beats the damaged row 0 as well
    EXPECT_EQ(menu.Scores(), (QStringList{"1", "bad score", "0", "0", "0"}));
    PressEnter(menu_test::NameBox(splash, 0));
    EXPECT_EQ(ReadBytes(menu.HighScorePath()),
              "Anonymous\r\n1\r\nLong name \r\nbad score\r\nCy\r\n0\r\n\r\n0\r\n\r\n0\r\n");
}

TEST(MenuHighScores, ClosingDuringANameEntrySavesTheNameTypedSoFar) {
    struct Case {
        const char* typed;
        const char* saved;
    };
    for (const Case& c : {Case{"Half", "Half"}, Case{"", "Anonymous"}}) {
        MenuFixture menu;
        frmSplash& splash = menu.CreateShown();
        menu.PlayGame(30001);
        QTest::keyClicks(menu_test::NameBox(splash, 0), c.typed);
        splash.close();
        EXPECT_EQ(menu.quits, std::vector<int>{0});
        EXPECT_EQ(ReadBytes(menu.HighScorePath()).substr(0, std::strlen(c.saved) + 9),
                  std::string(c.saved) + "\r\n30001\r\n");
    }
}

TEST(MenuHighScores, AFolderThatCannotHoldTheFileIsReportedAndTheGameGoesOn) {
    MenuFixture menu;
    const std::string folder = menu.Folder() + "/gone";
    frmSplash& splash = menu.CreateShown(folder);
    ASSERT_EQ(menu.errors.size(), 1u);
    EXPECT_TRUE(menu.errors[0].text.contains(QString::fromStdString(folder + "/highscore.txt")));
    EXPECT_TRUE(menu.errors[0].text.contains("No such file or directory"));
    EXPECT_EQ(menu.Scores(), (QStringList{"30000", "20000", "15000", "10000", "5000"}));

    menu.PlayGame(20001);
    QTest::keyClicks(menu_test::NameBox(splash, 1), "Kept");
    PressEnter(menu_test::NameBox(splash, 1));
    EXPECT_GE(menu.errors.size(), 3u);  // creating before the comparison, then saving
    EXPECT_EQ(menu.Names()[1], "Kept");
    EXPECT_TRUE(menu.ButtonsEnabled());

    // Once the folder is there the next confirmed name saves the table shown.
    std::filesystem::create_directory(folder);
    PressEnter(menu_test::NameBox(splash, 1));
    EXPECT_EQ(ReadBytes(folder + "/highscore.txt").substr(0, 34),
              "Tilebash\r\n30000\r\nKept\r\n20001\r\nTile");
}

TEST(MenuHighScores, AnUnreadableFileIsReportedTheDefaultTableShownAndTheFileNeverSavedOver) {
    // What cannot be read may still be the player's table (a file of another
    // user's, a disk error): a save would put the defaults in its place.
    const std::vector<std::pair<const char*, void (*)(const std::string&)>> cases{
        {"Is a directory", [](const std::string& path) { std::filesystem::create_directory(path); }},
        {"Not an ordinary file",
         [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
    };
    for (const auto& [reason, make] : cases) {
        MenuFixture menu;
        make(menu.HighScorePath());
        frmSplash& splash = menu.CreateShown();
        ASSERT_EQ(menu.errors.size(), 1u) << reason;
        EXPECT_TRUE(menu.errors[0].text.contains(reason)) << reason;
        EXPECT_EQ(menu.Names(), QStringList(5, "Tilebash"));

        menu.PlayGame(20001);
        QTest::keyClicks(menu_test::NameBox(splash, 1), "Kept");
        PressEnter(menu_test::NameBox(splash, 1));
        EXPECT_EQ(menu.Names()[1], "Kept");
        EXPECT_TRUE(menu.ButtonsEnabled());
        ASSERT_EQ(menu.errors.size(), 2u) << reason;
        EXPECT_TRUE(menu.errors[1].text.contains(QString::fromStdString(menu.HighScorePath()))) << reason;
        EXPECT_TRUE(menu.errors[1].text.contains("left as it is")) << reason;
        EXPECT_FALSE(std::filesystem::is_regular_file(menu.HighScorePath())) << reason << ": saved over";
    }
}

}  // namespace
