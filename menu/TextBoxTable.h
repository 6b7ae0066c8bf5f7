#pragma once
// The start window's ten text boxes seen as the high-score table. The boxes
// are the table's only copy; this reads and writes them in place.

#include <array>

#include "menu/HighScoreTable.h"

class QLineEdit;

namespace menu {

class TextBoxTable final : public HighScoreView {
public:
    TextBoxTable(const std::array<QLineEdit*, 5>& names, const std::array<QLineEdit*, 5>& scores);

    std::string NameText(int row) const override;
    void SetNameText(int row, const std::string& text) override;
    std::string ScoreText(int row) const override;
    void SetScoreText(int row, const std::string& text) override;

private:
    std::array<QLineEdit*, 5> names_;
    std::array<QLineEdit*, 5> scores_;
};

}  // namespace menu
