#include "menu/HighScoreEntry.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <vector>

#include "menu/HighScoreFile.h"
#include "menu/HighScoreTable.h"
#include "menu/NameValidator.h"
#include "menu/TextBoxTable.h"

namespace menu {
namespace {

const char kPromptText[] = "High Score! Type your name and press Enter.";
const char kTitle[] = "Tilebash";
const char kEmptyName[] = "Anonymous";

}  // namespace

HighScoreEntry::HighScoreEntry(std::array<QLineEdit*, 5> names, std::array<QLineEdit*, 5> scores,
                               std::string path, Hooks hooks)
    : names_(names), scores_(scores), path_(std::move(path)), hooks_(std::move(hooks)) {
    for (QLineEdit* box : names_) {
        box->setValidator(new NameValidator(box));
        box->installEventFilter(this);
    }
}

bool HighScoreEntry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            for (std::size_t k = 0; k < names_.size(); ++k) {
                if (watched == names_[k]) {
                    Confirm(static_cast<int16_t>(k));
                    return true;
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void HighScoreEntry::ReportError(const std::string& error, const char* consequence) {
    hooks_.error(QString::fromStdString(error) + "\n\n" + QString::fromUtf8(consequence), kTitle);
}

bool HighScoreEntry::EnsureFile() {
    const FileStatus status = EnsureHighScoreFile(path_);
    if (!status.ok) {
        ReportError(status.error, "The high scores on screen are kept, but not in the file.");
    }
    return status.ok;
}

void HighScoreEntry::Load() {
    TextBoxTable table(names_, scores_);
    const HighScoreLines& defaults = DefaultHighScoreLines();
    const std::vector<std::string> defaultLines(defaults.begin(), defaults.end());
    if (!EnsureFile()) {
        FillTable(table, defaultLines);
        return;
    }
    const HighScoreReadResult read = ReadHighScoreFile(path_);
    if (!read.ok) {
        ReportError(read.error, "The default high scores are shown instead.");
        FillTable(table, defaultLines);
        return;
    }
    FillTable(table, read.lines);
}

void HighScoreEntry::CheckScore(int32_t score) {
    EnsureFile();
    TextBoxTable table(names_, scores_);
    const int row = InsertScore(table, score);
    if (row >= 0) {
        Open(static_cast<int16_t>(row));
    }
}

void HighScoreEntry::Open(int16_t row) {
    QLineEdit* box = names_.at(static_cast<std::size_t>(row));
    hooks_.entryOpen(true);
    box->setFocus();
    box->setReadOnly(false);
    box->clear();
    hooks_.prompt(kPromptText, kTitle);
}

// The box of the name entry now open, if any.
QLineEdit* HighScoreEntry::OpenBox() const {
    for (QLineEdit* box : names_) {
        if (!box->isReadOnly()) return box;
    }
    return nullptr;
}

void HighScoreEntry::Confirm(int16_t row) {
    // Enter in any box confirms the open entry: the buttons never come back
    // while a box is still editable.
    QLineEdit* box = OpenBox();
    if (box == nullptr) box = names_.at(static_cast<std::size_t>(row));
    if (box->text().isEmpty()) {
        box->setText(kEmptyName);
    }
    box->setReadOnly(true);
    hooks_.entryOpen(false);
    Save();
}

void HighScoreEntry::Save() {
    const TextBoxTable table(names_, scores_);
    const FileStatus status = WriteHighScoreFile(path_, TableLines(table));
    if (!status.ok) {
        ReportError(status.error,
                    "The high scores on screen are kept; the next confirmed name saves them again.");
    }
}

// The score earned its row, so the table is saved with the name typed so far.
void HighScoreEntry::SavePending() {
    QLineEdit* box = OpenBox();
    if (box == nullptr) return;
    if (box->text().isEmpty()) box->setText(kEmptyName);
    box->setReadOnly(true);
    Save();
}

}  // namespace menu
