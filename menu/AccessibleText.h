#pragma once
// What a screen reader says for the start and information windows' controls.
// Without names the ten table boxes all read as "edit".

#include <array>

class QLineEdit;
class QPushButton;

namespace menu {

// "Name, row 1" ... "Score, row 5", by the boxes' rows from the top.
void NameTableBoxes(const std::array<QLineEdit*, 5>& names, const std::array<QLineEdit*, 5>& scores);

// What Start, Info and Exit do (their names are their texts).
void DescribeStartWindowButtons(QPushButton& start, QPushButton& info, QPushButton& exit);

// What Back to Main does.
void DescribeBackButton(QPushButton& back);

}  // namespace menu
