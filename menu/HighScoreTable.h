#pragma once
// The high-score table's rules, over whatever holds the table. The start
// window's text boxes are the only copy of the table; this code reads and
// writes them through HighScoreView, so the same rules run on a fake in tests.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "menu/HighScoreFile.h"

namespace menu {

constexpr int kHighScoreRows = 5;
constexpr std::size_t kMaxNameChars = 10;  // longest name a row keeps

// Row k's name and score texts, UTF-8. Rows are 0 (best) to 4.
class HighScoreView {
public:
    virtual ~HighScoreView() = default;
    virtual std::string NameText(int row) const = 0;
    virtual void SetNameText(int row, const std::string& text) = 0;
    virtual std::string ScoreText(int row) const = 0;
    virtual void SetScoreText(int row, const std::string& text) = 0;
};

// A score text as a signed 32-bit number: decimal digits with an optional
// sign, blanks around them allowed. Anything else has no value and ranks
// below every number, so any score beats a damaged row.
std::optional<int32_t> ParseScore(std::string_view text);

// Puts the file's lines into the table. A name line is cut to its first ten
// characters. Rows the file does not reach get an empty name and score "0".
void FillTable(HighScoreView& view, const std::vector<std::string>& fileLines);

// The table as the file's ten lines, row 0 first.
HighScoreLines TableLines(const HighScoreView& view);

// Inserts the score if it beats the bottom row: rows from the target down
// move one place, the bottom one is lost, and the target row gets the score
// in decimal digits, keeping its old name for now. A score equal to a row's
// goes below it. Returns the target row, or -1 when the score does not enter.
int InsertScore(HighScoreView& view, int32_t score);

}  // namespace menu
