#pragma once
// The start window: Start, Info and Exit, and the high-score table, whose only
// copy is this window's ten text boxes (filled and edited by
// menu::HighScoreEntry). The game runs nested in cmdStart_Click.

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "menu/PlayWindow.h"

class QLineEdit;
class frmInfo;

namespace menu {
class HighScoreEntry;
}

namespace Ui {
class frmSplash;
}

class frmSplash : public QWidget {
    Q_OBJECT
public:
    // A modal box with one OK button: text, title.
    using MessageBox = std::function<void(const QString& text, const QString& title)>;

    // What the window is given from outside, so tests can stand in for it.
    struct Collaborators {
        std::string programFolder;
        // The folder of highscore.txt (menu/ScoreFolder.h); empty for the
        // program folder.
        std::string scoreFolder;
        // Creates the play-field window, on the first Start.
        std::function<std::unique_ptr<menu::PlayWindow>()> createPlayWindow;
        MessageBox prompt;                       // the high-score prompt: no icon
        MessageBox error;                        // a failure the player must hear of
        std::function<void(int exitCode)> quit;  // ends the event loop
    };
    // Qt message boxes and QCoreApplication::exit.
    static Collaborators DefaultCollaborators(
        std::string programFolder, std::function<std::unique_ptr<menu::PlayWindow>()> createPlayWindow,
        std::string scoreFolder = {});

    // Creates and loads the window (Form_Load): rounded buttons, then the table.
    explicit frmSplash(Collaborators collaborators, QWidget* parent = nullptr);
    ~frmSplash() override;

    // The controls are the form's (ui_), found by their objectNames:
    // cmdStart, cmdInfo, cmdExit, lblNumber_0..4, txtHighScoreName_0..4,
    // txtHighScore_0..4 and lblVersion.

    // Event handlers.
    void cmdStart_Click();
    void cmdInfo_Click();
    void cmdExit_Click();

    // The close-down: unloads the play-field window, the information window
    // and this one, then ends the event loop. Safe to enter again.
    void UnloadAllForms();
    // After a game: inserts the score if it enters the table and opens its
    // row's name box.
    void CheckHighScore(int32_t score);

    // Show, not modal, and give the focus.
    void ShowAndFocus();

    std::string HighScorePath() const;
    int32_t LastScore() const { return lastScore_; }
    frmInfo* InfoWindow() const { return info_.get(); }
    menu::PlayWindow* PlayWindowIfCreated() const { return play_.get(); }
    int ExitCode() const { return exitCode_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void SetButtonsEnabled(bool enabled);
    // The name and score boxes, indexed by row.
    std::array<QLineEdit*, 5> NameBoxes() const;
    std::array<QLineEdit*, 5> ScoreBoxes() const;

    Collaborators collaborators_;
    std::unique_ptr<Ui::frmSplash> ui_;
    QPixmap background_;
    std::unique_ptr<menu::HighScoreEntry> highScores_;
    std::unique_ptr<menu::PlayWindow> play_;
    std::unique_ptr<frmInfo> info_;
    int32_t lastScore_ = 0;
    bool inGame_ = false;         // cmdStart_Click waits in Main
    bool closing_ = false;        // the close-down has begun
    bool unloadingSelf_ = false;  // this window is being unloaded
    int exitCode_ = 0;
};
