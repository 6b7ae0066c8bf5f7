#include "menu/frmSplash.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

#include "menu/AccessibleText.h"
#include "menu/HighScoreFile.h"
#include "menu/HighScoreTable.h"
#include "menu/NameValidator.h"
#include "menu/TextBoxTable.h"
#include "menu/frmInfo.h"
#include "platform/qt/QtMessageBox.h"
#include "ui_frmSplash.h"
#include "windows/RoundedShape.h"
#include "windows/WindowLook.h"

namespace {

constexpr int16_t kEnterCode = 13;
const char kPromptText[] = "High Score! Type your name and press Enter.";
const char kTitle[] = "Tilebash";
const char kEmptyName[] = "Anonymous";

// The box of the name entry now open, if any.
QLineEdit* OpenNameBox(const std::array<QLineEdit*, 5>& boxes) {
    for (QLineEdit* box : boxes) {
        if (!box->isReadOnly()) return box;
    }
    return nullptr;
}

}  // namespace

frmSplash::Collaborators frmSplash::DefaultCollaborators(
    std::string programFolder,
    std::function<std::unique_ptr<menu::PlayWindow>()> createPlayWindow, std::string scoreFolder) {
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
    menu::NameTableBoxes(NameBoxes(), ScoreBoxes());
    menu::DescribeStartWindowButtons(*ui_->cmdStart, *ui_->cmdInfo, *ui_->cmdExit);
    menu::NameTableHeading(*ui_->lblHighScores);
    menu::NameVersionLabel(*ui_->lblVersion);
    background_ = windows::BuiltInPicture(":/pictures/splash.png");
    for (QLineEdit* box : NameBoxes()) {
        box->setValidator(new menu::NameValidator(box));
        box->installEventFilter(this);
    }
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
    const std::string& folder =
        collaborators_.scoreFolder.empty() ? collaborators_.programFolder : collaborators_.scoreFolder;
    return folder + "/highscore.txt";
}

void frmSplash::Form_Load() {
    windows::SetRoundedShape(*ui_->cmdStart);
    windows::SetRoundedShape(*ui_->cmdExit);
    windows::SetRoundedShape(*ui_->cmdInfo);
    LoadHighScores();
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
        collaborators_.error(QString::fromStdString(error), kTitle);
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
    SavePendingNameEntry();
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

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const std::array<QLineEdit*, 5> boxes = NameBoxes();
            for (std::size_t k = 0; k < boxes.size(); ++k) {
                if (watched == boxes[k]) {
                    txtHighScoreName_KeyPress(static_cast<int16_t>(k), kEnterCode);
                    return true;
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- the high-score table ---

void frmSplash::ReportError(const std::string& error, const char* consequence) {
    collaborators_.error(QString::fromStdString(error) + "\n\n" + QString::fromUtf8(consequence), kTitle);
}

bool frmSplash::EnsureHighScoreFile() {
    const menu::FileStatus status = menu::EnsureHighScoreFile(HighScorePath());
    if (!status.ok) {
        ReportError(status.error, "The high scores on screen are kept, but not in the file.");
    }
    return status.ok;
}

void frmSplash::LoadHighScores() {
    menu::TextBoxTable table(NameBoxes(), ScoreBoxes());
    const menu::HighScoreLines& defaults = menu::DefaultHighScoreLines();
    const std::vector<std::string> defaultLines(defaults.begin(), defaults.end());
    if (!EnsureHighScoreFile()) {
        menu::FillTable(table, defaultLines);
        return;
    }
    const menu::HighScoreReadResult read = menu::ReadHighScoreFile(HighScorePath());
    if (!read.ok) {
        ReportError(read.error, "The default high scores are shown instead.");
        menu::FillTable(table, defaultLines);
        return;
    }
    menu::FillTable(table, read.lines);
}

void frmSplash::CheckHighScore(int32_t score) {
    EnsureHighScoreFile();
    menu::TextBoxTable table(NameBoxes(), ScoreBoxes());
    const int row = menu::InsertScore(table, score);
    if (row >= 0) {
        BeginNameEntry(static_cast<int16_t>(row));
    }
}

void frmSplash::SetButtonsEnabled(bool enabled) {
    ui_->cmdStart->setEnabled(enabled);
    ui_->cmdExit->setEnabled(enabled);
    ui_->cmdInfo->setEnabled(enabled);
}

void frmSplash::BeginNameEntry(int16_t row) {
    QLineEdit* box = NameBoxes().at(static_cast<std::size_t>(row));
    SetButtonsEnabled(false);
    box->setFocus();
    box->setReadOnly(false);
    box->clear();
    collaborators_.prompt(kPromptText, kTitle);
}

void frmSplash::txtHighScoreName_KeyPress(int16_t index, int16_t code) {
    if (code != kEnterCode) {
        return;
    }
    // Enter in any box confirms the open entry: the buttons never come back
    // while a box is still editable.
    QLineEdit* box = OpenNameBox(NameBoxes());
    if (box == nullptr) box = NameBoxes().at(static_cast<std::size_t>(index));
    if (box->text().isEmpty()) {
        box->setText(kEmptyName);
    }
    box->setReadOnly(true);
    SetButtonsEnabled(true);
    ui_->cmdStart->setFocus();
    SaveHighScores();
}

void frmSplash::SaveHighScores() {
    const menu::TextBoxTable table(NameBoxes(), ScoreBoxes());
    const menu::FileStatus status = menu::WriteHighScoreFile(HighScorePath(), menu::TableLines(table));
    if (!status.ok) {
        ReportError(status.error,
                    "The high scores on screen are kept; the next confirmed name saves them again.");
    }
}

// A name entry still open when the program closes: the score earned its row,
// so the table is saved with the name typed so far.
void frmSplash::SavePendingNameEntry() {
    QLineEdit* box = OpenNameBox(NameBoxes());
    if (box == nullptr) return;
    if (box->text().isEmpty()) box->setText(kEmptyName);
    box->setReadOnly(true);
    SaveHighScores();
}
