#include "menu/frmSplash.h"

#include <QApplication>
#include <QCloseEvent>

#include "menu/AccessibleText.h"
#include "menu/HighScoreEntry.h"
#include "menu/ScoreFolder.h"
#include "menu/frmInfo.h"
#include "platform/qt/QtMessageBox.h"
#include "ui_frmSplash.h"
#include "windows/RoundedShape.h"
#include "windows/WindowLook.h"

namespace {

std::string HighScorePathIn(const frmSplash::Collaborators& c) {
    return (c.scoreFolder.empty() ? c.programFolder : c.scoreFolder) + "/" + menu::kTableFileName;
}

}  // namespace

frmSplash::Collaborators frmSplash::DefaultCollaborators(
    std::string programFolder, std::function<std::unique_ptr<menu::PlayWindow>()> createPlayWindow,
    std::string scoreFolder) {
    Collaborators services;
    services.programFolder = std::move(programFolder);
    services.scoreFolder = std::move(scoreFolder);
    services.createPlayWindow = std::move(createPlayWindow);
    services.prompt = [](const QString& text, const QString& title) {
        platform::qt::ShowMessageBox(text, title, QMessageBox::NoIcon);
    };
    services.error = [](const QString& text, const QString& title) {
        platform::qt::ShowMessageBox(text, title, QMessageBox::Warning);
    };
    services.quit = [](int exitCode) { QCoreApplication::exit(exitCode); };
    return services;
}

frmSplash::frmSplash(Collaborators collaborators, QWidget* parent)
    : QWidget(parent), collaborators_(std::move(collaborators)), ui_(std::make_unique<Ui::frmSplash>()) {
    ui_->setupUi(this);
    windows::SetUpWindow(*this);
    ui_->lblVersion->setText(QStringLiteral(TILEBASH_VERSION));
    menu::NameTableBoxes(NameBoxes(), ScoreBoxes());
    menu::DescribeStartWindowButtons(*ui_->cmdStart, *ui_->cmdInfo, *ui_->cmdExit);
    menu::NameTableHeading(*ui_->lblHighScores);
    menu::NameVersionLabel(*ui_->lblVersion);
    background_ = windows::BuiltInPicture(":/pictures/splash.png");
    highScores_ = std::make_unique<menu::HighScoreEntry>(
        NameBoxes(), ScoreBoxes(), HighScorePathIn(collaborators_),
        menu::HighScoreEntry::Hooks{collaborators_.prompt, collaborators_.error, [this](bool open) {
                                        SetButtonsEnabled(!open);
                                        if (!open) ui_->cmdStart->setFocus();
                                    }});
    connect(ui_->cmdStart, &QPushButton::clicked, this, &frmSplash::cmdStart_Click);
    connect(ui_->cmdInfo, &QPushButton::clicked, this, &frmSplash::cmdInfo_Click);
    connect(ui_->cmdExit, &QPushButton::clicked, this, &frmSplash::cmdExit_Click);
    Form_Load();
}

frmSplash::~frmSplash() = default;

std::array<QLineEdit*, 5> frmSplash::NameBoxes() const {
    return {ui_->txtHighScoreName_0, ui_->txtHighScoreName_1, ui_->txtHighScoreName_2,
            ui_->txtHighScoreName_3, ui_->txtHighScoreName_4};
}

std::array<QLineEdit*, 5> frmSplash::ScoreBoxes() const {
    return {ui_->txtHighScore_0, ui_->txtHighScore_1, ui_->txtHighScore_2, ui_->txtHighScore_3,
            ui_->txtHighScore_4};
}

std::string frmSplash::HighScorePath() const {
    return highScores_->Path();
}

void frmSplash::Form_Load() {
    windows::SetRoundedShape(*ui_->cmdStart);
    windows::SetRoundedShape(*ui_->cmdExit);
    windows::SetRoundedShape(*ui_->cmdInfo);
    highScores_->LoadHighScores();
}

void frmSplash::ShowAndFocus() {
    windows::ShowAndActivate(*this);
}

void frmSplash::cmdStart_Click() {
    if (inGame_ || closing_) {
        return;
    }
    hide();
    if (!play_) {
        play_ = collaborators_.createPlayWindow();
    }
    std::string error;
    if (!play_->ShowAndFocus(error)) {
        // Without its sprite sheet there is no game to play.
        collaborators_.error(QString::fromStdString(error), windows::kProgramName);
        exitCode_ = 1;
        UnloadAllForms();
        return;
    }
    inGame_ = true;
    const int32_t score = play_->Main();
    inGame_ = false;
    if (closing_) {
        // The close-down came during the game; the windows are gone but for
        // the play window, which can only be dropped now that Main is over.
        play_.reset();
        return;
    }
    lastScore_ = score;
    play_->Hide();
    ShowAndFocus();
    CheckHighScore(lastScore_);
}

void frmSplash::cmdInfo_Click() {
    hide();
    if (!info_) {
        info_ = std::make_unique<frmInfo>(*this);
    }
    windows::ShowAndActivate(*info_);
}

void frmSplash::cmdExit_Click() {
    UnloadAllForms();
}

void frmSplash::Form_Unload() {
    UnloadAllForms();
}

void frmSplash::UnloadAllForms() {
    if (closing_) {
        return;
    }
    closing_ = true;
    highScores_->SavePending();
    if (play_) {
        play_->Unload();
        if (!inGame_) {
            play_.reset();
        }
    }
    if (info_) {
        info_->Unload();
        info_.reset();
    }
    if (!unloadingSelf_) {
        unloadingSelf_ = true;
        close();
    }
    collaborators_.quit(exitCode_);
}

void frmSplash::closeEvent(QCloseEvent* event) {
    if (!unloadingSelf_) {
        unloadingSelf_ = true;
        Form_Unload();
    }
    event->accept();
}

void frmSplash::paintEvent(QPaintEvent* /*event*/) {
    windows::PaintBackground(*this, background_);
}

// --- the high-score table ---

void frmSplash::CheckHighScore(int32_t score) {
    highScores_->CheckHighScore(score);
}

void frmSplash::SetButtonsEnabled(bool enabled) {
    ui_->cmdStart->setEnabled(enabled);
    ui_->cmdExit->setEnabled(enabled);
    ui_->cmdInfo->setEnabled(enabled);
}
