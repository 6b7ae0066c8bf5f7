#pragma once
// The high-score table on the start window: its ten boxes, loaded from the
// file, and the entry of a name for a new score. The score's row opens its
// name box; Enter in any box locks the name (an empty one becomes
// "Anonymous") and saves the file. An entry still open when the program
// closes is saved with the name typed so far.

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QLineEdit;

namespace menu {

class HighScoreEntry : public QObject {
public:
    // A modal box with one OK button: text, title.
    using MessageBox = std::function<void(const QString& text, const QString& title)>;
    struct Hooks {
        MessageBox prompt;  // the high-score prompt
        MessageBox error;   // a failure the player must hear of
        // A name entry opens (true) or is confirmed (false).
        std::function<void(bool open)> entryOpen;
    };

    HighScoreEntry(std::array<QLineEdit*, 5> names, std::array<QLineEdit*, 5> scores, std::string path,
                   Hooks hooks);

    const std::string& Path() const { return path_; }
    // Fills the boxes from the file, or with the defaults when it cannot be
    // read; a file that could not be read is then never saved over.
    void LoadHighScores();
    // After a game: inserts the score if it enters the table and opens its
    // row's name box.
    void CheckHighScore(int32_t score);
    // A character typed into the name box of row index; Enter (13) confirms
    // the open entry and saves. True when the character was taken here.
    bool txtHighScoreName_KeyPress(int16_t index, int16_t keyAscii);
    void SavePending();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool EnsureFile();
    void BeginNameEntry(int16_t row);
    void SaveHighScores();
    void ReportError(const std::string& error, const char* consequence);
    QLineEdit* OpenBox() const;

    std::array<QLineEdit*, 5> names_;
    std::array<QLineEdit*, 5> scores_;
    std::string path_;
    Hooks hooks_;
    // Why the file could not be read when the table was loaded; while set,
    // the file is never replaced.
    std::string unread_;
};

}  // namespace menu
