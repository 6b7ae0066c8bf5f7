#include "menu/AccessibleText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include "windows/PictureText.h"

namespace menu {
namespace {

namespace text = windows::picture_text;

// A label of no text of its own over painted words: it shows nothing, and the
// mouse goes through it to the window (a drag on the picture still moves it).
void NamePaintedWords(QLabel& label, const QString& words) {
    label.setAccessibleName(words);
    label.setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString InstructionsText() {
    QStringList lines{QString::fromLatin1(text::kObjectHeading), QString::fromLatin1(text::kObjectText),
                      QString::fromLatin1(text::kControlsHeading)};
    for (const text::KeyLine& key : text::kKeys) {
        lines << QString::fromLatin1(key.key) + QStringLiteral(": ") + QString::fromLatin1(key.action) +
                     QLatin1Char('.');
    }
    lines << QString::fromLatin1(text::kComboHeading) << QString::fromLatin1(text::kComboText)
          << QString::fromLatin1(text::kBonusHeading) << QString::fromLatin1(text::kBonusText);
    for (const text::BonusLine& bonus : text::kBonuses) {
        lines << QString::fromLatin1(bonus.name) + QStringLiteral(": ") + QString::fromLatin1(bonus.text);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

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

void NameTableHeading(QLabel& heading) {
    NamePaintedWords(heading, QString::fromLatin1(text::kHighScores));
}

void NameVersionLabel(QLabel& version) {
    version.setAccessibleName(QString::fromLatin1(text::kVersion) + QLatin1Char(' ') + version.text());
}

void NameInstructions(QLabel& instructions) {
    NamePaintedWords(instructions, InstructionsText());
}

}  // namespace menu
