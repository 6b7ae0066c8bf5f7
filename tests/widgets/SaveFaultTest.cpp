// A save that fails under the start window (the file turned into a folder,
// a full disk) is reported with the file and the reason, and the table on
// screen stays as it was, ready to be saved by the next confirmed name.
// Text pasted into a name box with line ends never breaks the file's lines.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <filesystem>
#include <functional>

#include "../menu/FileSizeLimit.h"
#include "MenuTestSupport.h"

namespace {

using menu_test::FileSizeLimit;
using menu_test::kDefaultBytes;
using menu_test::MenuFixture;
using menu_test::ReadBytes;

const QStringList kShownNames{"Tilebash", "Newcomer", "Tilebash", "Tilebash", "Tilebash"};
const QStringList kShownScores{"30000", "25000", "20000", "15000", "10000"};

}  // namespace

TEST(SaveFaults, AFailedSaveIsReportedAndTheTableOnScreenIsKept) {
    struct Case {
        const char* fault;
        const char* reason;
        // Runs the confirmation (Enter) with the fault in place.
        std::function<void(MenuFixture&, const std::function<void()>&)> withFault;
        bool oldFileKept;
    } cases[] = {
        {"the file replaced by a folder", "Is a directory",
         [](MenuFixture& m, const std::function<void()>& confirm) {
             std::filesystem::remove(m.HighScorePath());
             std::filesystem::create_directory(m.HighScorePath());
             confirm();
             std::filesystem::remove(m.HighScorePath());
         },
         false},
        {"a full disk", "File too large",
         [](MenuFixture&, const std::function<void()>& confirm) {
             const FileSizeLimit limit(20);
             confirm();
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        MenuFixture menu;
        frmSplash& splash = menu.CreateShown();
        ASSERT_TRUE(menu.errors.empty());
        menu.PlayGame(25000);
        QLineEdit* box = menu_test::NameBox(splash, 1);
        QTest::keyClicks(box, "Newcomer");

        c.withFault(menu, [&] { QTest::keyClick(box, Qt::Key_Return); });
        ASSERT_EQ(menu.errors.size(), 1u);
        const QString& text = menu.errors[0].text;
        // Built with QString, not std::string's operator+: GCC 12 at -O3 warns
        // falsely (-Wrestrict) inside that operator.
        const QString quotedPath =
            QLatin1Char('"') + QString::fromStdString(menu.HighScorePath()) + QLatin1Char('"');
        EXPECT_TRUE(text.contains(quotedPath)) << text.toStdString();
        EXPECT_TRUE(text.contains(c.reason)) << text.toStdString();
        EXPECT_TRUE(text.contains("kept")) << text.toStdString();
        EXPECT_EQ(menu.Names(), kShownNames);
        EXPECT_EQ(menu.Scores(), kShownScores);
        EXPECT_TRUE(menu.ButtonsEnabled());
        if (c.oldFileKept) {
            EXPECT_EQ(ReadBytes(menu.HighScorePath()), kDefaultBytes);
        }
        EXPECT_EQ(menu_test::EntryCount(menu.Folder()), c.oldFileKept ? 1 : 0)
            << "a temporary file was left";

        // With the fault gone, confirming again saves what the screen shows.
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(menu.errors.size(), 1u);
        EXPECT_EQ(ReadBytes(menu.HighScorePath()),
                  "Tilebash\r\n30000\r\nNewcomer\r\n25000\r\nTilebash\r\n20000\r\n"
                  "Tilebash\r\n15000\r\nTilebash\r\n10000\r\n");
    }
}

TEST(SaveFaults, ANamePastedWithLineEndsIsSavedOnItsOwnLine) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    menu.PlayGame(25000);
    QLineEdit* box = menu_test::NameBox(splash, 1);
    QGuiApplication::clipboard()->setText("Ann\r\nBob");
    box->paste();
    ASSERT_FALSE(box->text().isEmpty()) << "the paste did not reach the box";
    QTest::keyClick(box, Qt::Key_Return);
    const std::string saved = ReadBytes(menu.HighScorePath());
    const std::string expectedName =
        box->text().toStdString() == "Ann\r\nBob" ? "Ann  Bob" : box->text().toStdString();
    EXPECT_EQ(saved, "Tilebash\r\n30000\r\n" + expectedName +
                         "\r\n25000\r\nTilebash\r\n20000\r\n"
                         "Tilebash\r\n15000\r\nTilebash\r\n10000\r\n");
}
