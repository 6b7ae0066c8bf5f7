#pragma once
// The table as plain texts, standing in for the start window's text boxes.

#include <array>
#include <string>

#include "menu/HighScoreTable.h"

namespace menu_test {

class TableView : public menu::HighScoreView {
public:
    std::array<std::string, menu::kHighScoreRows> names;
    std::array<std::string, menu::kHighScoreRows> scores;

    std::string NameText(int row) const override { return names.at(static_cast<std::size_t>(row)); }
    void SetNameText(int row, const std::string& text) override {
        names.at(static_cast<std::size_t>(row)) = text;
    }
    std::string ScoreText(int row) const override { return scores.at(static_cast<std::size_t>(row)); }
    void SetScoreText(int row, const std::string& text) override {
        scores.at(static_cast<std::size_t>(row)) = text;
    }
};

}  // namespace menu_test
