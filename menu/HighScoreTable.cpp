#include "menu/HighScoreTable.h"

#include "menu/Cp1252.h"

namespace menu {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// True if a row's score is at least the given one. A row without a value
// never is.
bool RowHolds(const HighScoreView& view, int row, int32_t score) {
    const std::optional<int32_t> value = ParseScore(view.ScoreText(row));
    return value && score <= *value;
}

}  // namespace

std::optional<int32_t> ParseScore(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // Accumulated as a negative number, whose range reaches INT32_MIN.
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 - (c - '0');
        if (value < INT32_MIN) {
            return std::nullopt;
        }
    }
    if (!negative) {
        value = -value;
        if (value > INT32_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<int32_t>(value);
}

void FillTable(HighScoreView& view, const std::vector<std::string>& fileLines) {
    for (int row = 0; row < kHighScoreRows; ++row) {
        const auto nameLine = static_cast<std::size_t>(2 * row);
        const std::size_t scoreLine = nameLine + 1;
        // One byte is one character in the file's code page.
        const std::string name =
            nameLine < fileLines.size() ? fileLines[nameLine].substr(0, kMaxNameChars) : "";
        const std::string score = scoreLine < fileLines.size() ? fileLines[scoreLine] : "0";
        view.SetNameText(row, Cp1252ToUtf8(name));
        view.SetScoreText(row, Cp1252ToUtf8(score));
    }
}

HighScoreLines TableLines(const HighScoreView& view) {
    HighScoreLines lines;
    for (int row = 0; row < kHighScoreRows; ++row) {
        const auto nameLine = static_cast<std::size_t>(2 * row);
        lines[nameLine] = Utf8ToCp1252(view.NameText(row));
        lines[nameLine + 1] = Utf8ToCp1252(view.ScoreText(row));
    }
    return lines;
}

int InsertScore(HighScoreView& view, int32_t score) {
    constexpr int bottom = kHighScoreRows - 1;
    if (RowHolds(view, bottom, score)) {
        return -1;
    }
    // From the bottom upwards, the first row holding at least the score has
    // the new one right below it.
    int target = 0;
    for (int k = bottom - 1; k >= 0; --k) {
        if (RowHolds(view, k, score)) {
            target = k + 1;
            break;
        }
    }
    for (int j = bottom - 1; j >= target; --j) {
        view.SetScoreText(j + 1, view.ScoreText(j));
        view.SetNameText(j + 1, view.NameText(j));
    }
    view.SetScoreText(target, std::to_string(score));
    return target;
}

}  // namespace menu
