// Inputs the fuzzers of tests/fuzz found troublesome, kept as plain cases.

#include <gtest/gtest.h>

#include <string>

#include "TableView.h"
#include "TempFolder.h"
#include "menu/HighScoreFile.h"
#include "menu/HighScoreTable.h"

namespace {

using menu_test::ReadBytes;
using menu_test::TempFolder;

using Boxes = menu_test::TableView;

}  // namespace

// A name box takes pasted text with its line ends. Saved as they are they
// would split the name into two lines and shift every row below it, so the
// next start would show names as scores and lose the bottom row.
TEST(FuzzRegression, LineEndsInsideANameAreSavedAsBlanksAndTheFileKeepsTenLines) {
    struct Case {
        std::string name;
        std::string saved;
    } cases[] = {
        {"\r\nX", "  X"},
        {"Ann\nBob", "Ann Bob"},
        {"\r", " "},
        {"a\r\r\n\nb", "a    b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        TempFolder folder;
        const std::string path = folder.File("highscore.txt");
        ASSERT_TRUE(menu::EnsureHighScoreFile(path).ok);
        Boxes boxes;
        menu::FillTable(boxes, menu::ReadHighScoreFile(path).lines);
        const int row = menu::InsertScore(boxes, 25000);
        ASSERT_EQ(row, 1);
        boxes.SetNameText(row, c.name);
        ASSERT_TRUE(menu::WriteHighScoreFile(path, menu::TableLines(boxes)).ok);

        EXPECT_EQ(ReadBytes(path), "Tilebash\r\n30000\r\n" + c.saved +
                                       "\r\n25000\r\nTilebash\r\n20000\r\nTilebash\r\n15000\r\n"
                                       "Tilebash\r\n10000\r\n");
        Boxes reloaded;
        menu::FillTable(reloaded, menu::ReadHighScoreFile(path).lines);
        EXPECT_EQ(reloaded.NameText(1), c.saved.substr(0, 10));  // a name keeps its first ten characters
        EXPECT_EQ(reloaded.ScoreText(1), "25000");
        EXPECT_EQ(reloaded.ScoreText(4), "10000");
    }
}
