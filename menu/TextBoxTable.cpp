#include "menu/TextBoxTable.h"

#include <QLineEdit>

namespace menu {

TextBoxTable::TextBoxTable(const std::array<QLineEdit*, 5>& names, const std::array<QLineEdit*, 5>& scores)
    : names_(names), scores_(scores) {}

std::string TextBoxTable::NameText(int row) const {
    return names_.at(static_cast<std::size_t>(row))->text().toStdString();
}

void TextBoxTable::SetNameText(int row, const std::string& text) {
    names_.at(static_cast<std::size_t>(row))->setText(QString::fromStdString(text));
}

std::string TextBoxTable::ScoreText(int row) const {
    return scores_.at(static_cast<std::size_t>(row))->text().toStdString();
}

void TextBoxTable::SetScoreText(int row, const std::string& text) {
    scores_.at(static_cast<std::size_t>(row))->setText(QString::fromStdString(text));
}

}  // namespace menu
