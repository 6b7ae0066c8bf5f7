#include "menu/AccessibleText.h"

#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace menu {

void NameTableBoxes(const std::array<QLineEdit*, 5>& names, const std::array<QLineEdit*, 5>& scores) {
    for (int row = 0; row < 5; ++row) {
        const QString number = QString::number(row + 1);
        names[row]->setAccessibleName(QStringLiteral("Name, row ") + number);
        scores[row]->setAccessibleName(QStringLiteral("Score, row ") + number);
    }
}

void DescribeStartWindowButtons(QPushButton& start, QPushButton& info, QPushButton& exit) {
    start.setAccessibleDescription(QStringLiteral("Plays a game in the play window"));
    info.setAccessibleDescription(QStringLiteral("Shows how to play"));
    exit.setAccessibleDescription(QStringLiteral("Ends the program"));
}

void DescribeBackButton(QPushButton& back) {
    back.setAccessibleDescription(QStringLiteral("Returns to the start window"));
}

}  // namespace menu
