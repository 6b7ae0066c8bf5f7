#include "menu/HighScoreTable.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "TableView.h"

namespace {

using menu::FillTable;
using menu::InsertScore;
using menu::ParseScore;
using menu::TableLines;

// The start window's boxes as they are in a default table.
class FakeView : public menu_test::TableView {
public:
    FakeView() {
        names = {"A", "B", "C", "D", "E"};
        scores = {"30000", "20000", "15000", "10000", "5000"};
    }
};

struct InsertCase {
    int32_t score;
    int target;
    std::array<std::string, 5> names;
    std::array<std::string, 5> scores;
};

TEST(HighScoreTable, ScoresEnterTheDefaultTableBelowEqualRows) {
    const InsertCase cases[] = {
        {5000, -1, {"A", "B", "C", "D", "E"}, {"30000", "20000", "15000", "10000", "5000"}},
        {5001, 4, {"A", "B", "C", "D", "E"}, {"30000", "20000", "15000", "10000", "5001"}},
        {20000, 2, {"A", "B", "C", "C", "D"}, {"30000", "20000", "20000", "15000", "10000"}},
        {30000, 1, {"A", "B", "B", "C", "D"}, {"30000", "30000", "20000", "15000", "10000"}},
        {30001, 0, {"A", "A", "B", "C", "D"}, {"30001", "30000", "20000", "15000", "10000"}},
        {0, -1, {"A", "B", "C", "D", "E"}, {"30000", "20000", "15000", "10000", "5000"}},
        {INT32_MIN, -1, {"A", "B", "C", "D", "E"}, {"30000", "20000", "15000", "10000", "5000"}},
        {INT32_MAX, 0, {"A", "A", "B", "C", "D"}, {"2147483647", "30000", "20000", "15000", "10000"}},
    };
    for (const InsertCase& c : cases) {
        FakeView view;
        EXPECT_EQ(InsertScore(view, c.score), c.target) << "score " << c.score;
        EXPECT_EQ(view.names, c.names) << "score " << c.score;
        EXPECT_EQ(view.scores, c.scores) << "score " << c.score;
    }
}

TEST(HighScoreTable, NegativeScoresAreWrittenWithAMinusSign) {
    FakeView view;
    view.scores = {"0", "0", "0", "-10", "-20"};
    EXPECT_EQ(InsertScore(view, -15), 4);
    EXPECT_EQ(view.scores[4], "-15");
}

TEST(HighScoreTable, DamagedScoreRowsRankBelowEveryNumber) {
    struct Case {
        std::array<std::string, 5> scores;
        int32_t score;
        int target;
        std::array<std::string, 5> after;
    };
    const Case cases[] = {
        // A damaged bottom row is beaten even by the lowest score.
        {{"30000", "20000", "15000", "10000", "junk"},
         INT32_MIN,
         4,
         {"30000", "20000", "15000", "10000", "-2147483648"}},
        {{"30000", "20000", "15000", "10000", "2147483648"},
         0,
         4,
         {"30000", "20000", "15000", "10000", "0"}},
        {{"30000", "20000", "15000", "10000", ""}, 0, 4, {"30000", "20000", "15000", "10000", "0"}},
        // The walk passes a damaged row and stops at the next number above it.
        {{"30000", "20000", "x", "10000", "5000"}, 12000, 2, {"30000", "20000", "12000", "x", "10000"}},
        {{"?", "?", "?", "?", "?"}, 1, 0, {"1", "?", "?", "?", "?"}},
        // Blank-padded and signed numbers are numbers.
        {{"30000", "20000", "15000", "10000", " +5000 "},
         5000,
         -1,
         {"30000", "20000", "15000", "10000", " +5000 "}},
    };
    for (const Case& c : cases) {
        FakeView view;
        view.scores = c.scores;
        EXPECT_EQ(InsertScore(view, c.score), c.target) << c.scores[4] << " / " << c.score;
        EXPECT_EQ(view.scores, c.after) << c.scores[4] << " / " << c.score;
    }
}

TEST(HighScoreTable, ScoreTextsAreSigned32BitDecimalNumbersOrNothing) {
    struct Case {
        const char* text;
        std::optional<int32_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"5000", 5000},
        {"007", 7},
        {" 42 ", 42},
        {"\t-7\t", -7},
        {"+5", 5},
        {"-0", 0},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"1 2", std::nullopt},
        {"1,000", std::nullopt},
        {"1e3", std::nullopt},
        {"0x10", std::nullopt},
        {"12.5", std::nullopt},
        {"\xEF\xBC\x91", std::nullopt},  // a full-width digit one
        {"12\r", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseScore(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(HighScoreTable, FillingCutsNamesToTenCharactersAndKeepsScoresAsRead) {
    FakeView view;
    FillTable(view, {"ABCDEFGHIJK", "30000", "ABCDEFGHIJ", " 12 ", "", "x", "Zo\xEB", "-1",
                     std::string(20, 'n'), std::string(50, '9')});
    EXPECT_EQ(view.names, (std::array<std::string, 5>{"ABCDEFGHIJ", "ABCDEFGHIJ", "", "Zo\xC3\xAB",
                                                      std::string(10, 'n')}));
    EXPECT_EQ(view.scores, (std::array<std::string, 5>{"30000", " 12 ", "x", "-1", std::string(50, '9')}));
}

TEST(HighScoreTable, RowsAFileDoesNotReachAreEmptyWithScoreZero) {
    FakeView view;
    FillTable(view, {"Ann", "100", "Bob"});
    EXPECT_EQ(view.names, (std::array<std::string, 5>{"Ann", "Bob", "", "", ""}));
    EXPECT_EQ(view.scores, (std::array<std::string, 5>{"100", "0", "0", "0", "0"}));

    FillTable(view, {});
    EXPECT_EQ(view.names, (std::array<std::string, 5>{"", "", "", "", ""}));
    EXPECT_EQ(view.scores, (std::array<std::string, 5>{"0", "0", "0", "0", "0"}));
}

TEST(HighScoreTable, TableLinesAlternateNamesAndScoresInTheFileCodePage) {
    FakeView view;
    view.names[1] = "Zo\xC3\xAB \xE2\x82\xAC";
    const menu::HighScoreLines lines = TableLines(view);
    EXPECT_EQ(lines, (menu::HighScoreLines{"A", "30000", "Zo\xEB \x80", "20000", "C", "15000", "D", "10000",
                                           "E", "5000"}));
}

}  // namespace
