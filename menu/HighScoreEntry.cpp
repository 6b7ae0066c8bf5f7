#include "menu/HighScoreEntry.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <vector>

#include "menu/HighScoreFile.h"
#include "menu/HighScoreTable.h"
#include "menu/NameValidator.h"
#include "menu/TextBoxTable.h"
#include "windows/WindowLook.h"

namespace menu {
namespace {

const char kPromptText[] = "High Score! Type your name and press Enter.";
const char kEmptyName[] = "Anonymous";
constexpr int16_t kEnter = 13;

// The character code a key press types; both Enter keys type 13.
int16_t KeyAscii(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) return kEnter;
    const QString text = key.text();
    return text.size() == 1 && text.at(0).unicode() < 0x80 ? static_cast<int16_t>(text.at(0).unicode()) : 0;
}

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
        for (std::size_t k = 0; k < names_.size(); ++k) {
            if (watched == names_[k]) {
                return txtHighScoreName_KeyPress(static_cast<int16_t>(k),
                                                 KeyAscii(*static_cast<QKeyEvent*>(event)));
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void HighScoreEntry::ReportError(const std::string& error, const char* consequence) {
    hooks_.error(QString::fromStdString(error) + "\n\n" + QString::fromUtf8(consequence),
                 windows::kProgramName);
}

bool HighScoreEntry::EnsureFile() {
    const FileStatus status = EnsureHighScoreFile(path_);
    if (!status.ok) {
        ReportError(status.error, "The high scores on screen are kept, but not in the file.");
    }
    return status.ok;
}

void HighScoreEntry::LoadHighScores() {
    TextBoxTable table(names_, scores_);
    const HighScoreLines& defaults = DefaultHighScoreLines();
    const std::vector<std::string> defaultLines(defaults.begin(), defaults.end());
    if (!EnsureFile()) {
        FillTable(table, defaultLines);
        return;
    }
    const HighScoreReadResult read = ReadHighScoreFile(path_);
    if (!read.ok) {
        // The file may still hold the player's table: saving the defaults
        // over it would lose that for good.
        unread_ = read.error;
        ReportError(read.error,
                    "The default high scores are shown instead, and the file is left as it is.");
        FillTable(table, defaultLines);
        return;
    }
    FillTable(table, read.lines);
}

void HighScoreEntry::CheckHighScore(int32_t score) {
    EnsureFile();
    TextBoxTable table(names_, scores_);
    const int row = InsertScore(table, score);
    if (row >= 0) {
        BeginNameEntry(static_cast<int16_t>(row));
    }
}

void HighScoreEntry::BeginNameEntry(int16_t row) {
    QLineEdit* box = names_.at(static_cast<std::size_t>(row));
    hooks_.entryOpen(true);
    box->setFocus();
    box->setReadOnly(false);
    box->clear();
    hooks_.prompt(kPromptText, windows::kProgramName);
}

// The box of the name entry now open, if any.
QLineEdit* HighScoreEntry::OpenBox() const {
    for (QLineEdit* box : names_) {
        if (!box->isReadOnly()) return box;
    }
    return nullptr;
}

bool HighScoreEntry::txtHighScoreName_KeyPress(int16_t index, int16_t keyAscii) {
    if (keyAscii != kEnter) return false;  // the box takes it
    // Enter in any box confirms the open entry: the buttons never come back
    // while a box is still editable.
    QLineEdit* box = OpenBox();
    if (box == nullptr) box = names_.at(static_cast<std::size_t>(index));
    if (box->text().isEmpty()) {
        box->setText(kEmptyName);
    }
    box->setReadOnly(true);
    hooks_.entryOpen(false);
    SaveHighScores();
    return true;
}

void HighScoreEntry::SaveHighScores() {
    if (!unread_.empty()) {
        ReportError(unread_,
                    "The high scores on screen are kept, but not in the file, which is left as it is.");
        return;
    }
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
    SaveHighScores();
}

}  // namespace menu
