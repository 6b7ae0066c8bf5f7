#pragma once
// What a screen reader says for the start and information windows. Without
// names the ten table boxes all read as "edit", and the words painted into the
// background pictures (the table's heading, "Version", the instructions) reach
// no one: labels over them carry those words as their accessible names.

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace menu {

// "Name, row 1" ... "Score, row 5", by the boxes' rows from the top.
void NameTableBoxes(const std::array<QLineEdit*, 5>& names, const std::array<QLineEdit*, 5>& scores);

// What Start, Info and Exit do (their names are their texts).
void DescribeStartWindowButtons(QPushButton& start, QPushButton& info, QPushButton& exit);

// What Back to Main does.
void DescribeBackButton(QPushButton& back);

// The label over the table's painted heading reads "High Scores".
void NameTableHeading(QLabel& heading);

// "Version 1.5.8": the painted word, then the label's text as it is now.
void NameVersionLabel(QLabel& version);

// The label over the instructions reads them: one line for each heading,
// paragraph, key and bonus item of the information picture.
void NameInstructions(QLabel& instructions);

}  // namespace menu
