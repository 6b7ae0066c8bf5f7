#include "menu/frmSplash.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

#include "menu/AccessibleText.h"
#include "menu/HighScoreFile.h"
#include "menu/HighScoreTable.h"
#include "menu/NameValidator.h"
#include "menu/RoundedShape.h"
#include "menu/TextBoxTable.h"
#include "menu/WindowLook.h"
#include "menu/frmInfo.h"
#include "ui_frmSplash.h"

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

void ShowBox(QMessageBox::Icon icon, const QString& text, const QString& title) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

}  // namespace

frmSplash::Services frmSplash::DefaultServices(
    std::string programFolder,
    std::function<std::unique_ptr<menu::PlayWindow>()> createPlayWindow, std::string scoreFolder) {
    Services services;
    services.programFolder = std::move(programFolder);
    services.scoreFolder = std::move(scoreFolder);
    services.createPlayWindow = std::move(createPlayWindow);
    services.prompt = [](const QString& text, const QString& title) {
        ShowBox(QMessageBox::NoIcon, text, title);
    };
    services.error = [](const QString& text, const QString& title) {
        ShowBox(QMessageBox::Warning, text, title);
    };
    services.quit = [](int exitCode) { QCoreApplication::exit(exitCode); };
    return services;
}

frmSplash::frmSplash(Services services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), ui_(std::make_unique<Ui::frmSplash>()) {
    ui_->setupUi(this);
    cmdStart = ui_->cmdStart;
    cmdInfo = ui_->cmdInfo;
    cmdExit = ui_->cmdExit;
    lblNumber = {ui_->lblNumber_0, ui_->lblNumber_1, ui_->lblNumber_2, ui_->lblNumber_3,
                 ui_->lblNumber_4};
    txtHighScoreName = {ui_->txtHighScoreName_0, ui_->txtHighScoreName_1, ui_->txtHighScoreName_2,
                        ui_->txtHighScoreName_3, ui_->txtHighScoreName_4};
    txtHighScore = {ui_->txtHighScore_0, ui_->txtHighScore_1, ui_->txtHighScore_2,
                    ui_->txtHighScore_3, ui_->txtHighScore_4};
    lblVersion = ui_->lblVersion;

    menu::SetUpWindow(*this, 320, 400);
    menu::NameTableBoxes(txtHighScoreName, txtHighScore);
    menu::DescribeStartWindowButtons(*cmdStart, *cmdInfo, *cmdExit);
    background_ = menu::BuiltInPicture(":/pictures/splash.png");
    for (QLineEdit* box : txtHighScoreName) {
        box->setValidator(new menu::NameValidator(box));
        box->installEventFilter(this);
    }
    connect(cmdStart, &QPushButton::clicked, this, &frmSplash::cmdStart_Click);
    connect(cmdInfo, &QPushButton::clicked, this, &frmSplash::cmdInfo_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmSplash::cmdExit_Click);
    Form_Load();
}

frmSplash::~frmSplash() = default;

std::string frmSplash::HighScorePath() const {
    const std::string& folder =
        services_.scoreFolder.empty() ? services_.programFolder : services_.scoreFolder;
    return folder + "/highscore.txt";
}

void frmSplash::Form_Load() {
    menu::SetRoundedShape(*cmdStart, 5, 5, 92, 36, 15, 15);
    menu::SetRoundedShape(*cmdExit, 5, 5, 92, 36, 15, 15);
    menu::SetRoundedShape(*cmdInfo, 5, 5, 76, 36, 15, 15);
    LoadHighScores();
}

void frmSplash::ShowAndFocus() {
    menu::ShowAndActivate(*this);
}

void frmSplash::cmdStart_Click() {
    if (inGame_ || closing_) {
        return;
    }
    hide();
    if (!play_) {
        play_ = services_.createPlayWindow();
    }
    std::string error;
    if (!play_->ShowAndFocus(error)) {
        // Without its sprite sheet there is no game to play.
        services_.error(QString::fromStdString(error), kTitle);
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
    menu::ShowAndActivate(*info_);
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
    services_.quit(exitCode_);
}

void frmSplash::closeEvent(QCloseEvent* event) {
    if (!unloadingSelf_) {
        unloadingSelf_ = true;
        Form_Unload();
    }
    event->accept();
}

void frmSplash::paintEvent(QPaintEvent* /*event*/) {
    menu::PaintBackground(*this, background_);
}

void frmSplash::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        menu::CentreOnScreen(*this);
    }
    QWidget::showEvent(event);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            for (std::size_t k = 0; k < txtHighScoreName.size(); ++k) {
                if (watched == txtHighScoreName[k]) {
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
    services_.error(QString::fromStdString(error) + "\n\n" + QString::fromUtf8(consequence), kTitle);
}

bool frmSplash::EnsureHighScoreFile() {
    const menu::FileStatus status = menu::EnsureHighScoreFile(HighScorePath());
    if (!status.ok) {
        ReportError(status.error, "The high scores on screen are kept, but not in the file.");
    }
    return status.ok;
}

void frmSplash::LoadHighScores() {
    menu::TextBoxTable table(txtHighScoreName, txtHighScore);
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
    menu::TextBoxTable table(txtHighScoreName, txtHighScore);
    const int row = menu::InsertScore(table, score);
    if (row >= 0) {
        BeginNameEntry(static_cast<int16_t>(row));
    }
}

void frmSplash::SetButtonsEnabled(bool enabled) {
    cmdStart->setEnabled(enabled);
    cmdExit->setEnabled(enabled);
    cmdInfo->setEnabled(enabled);
}

void frmSplash::BeginNameEntry(int16_t row) {
    QLineEdit* box = txtHighScoreName.at(static_cast<std::size_t>(row));
    SetButtonsEnabled(false);
    box->setFocus();
    box->setReadOnly(false);
    box->clear();
    services_.prompt(kPromptText, kTitle);
}

void frmSplash::txtHighScoreName_KeyPress(int16_t index, int16_t code) {
    if (code != kEnterCode) {
        return;
    }
    // Enter in any box confirms the open entry: the buttons never come back
    // while a box is still editable.
    QLineEdit* box = OpenNameBox(txtHighScoreName);
    if (box == nullptr) {
        box = txtHighScoreName.at(static_cast<std::size_t>(index));
    }
    if (box->text().isEmpty()) {
        box->setText(kEmptyName);
    }
    box->setReadOnly(true);
    SetButtonsEnabled(true);
    cmdStart->setFocus();
    SaveHighScores();
}

void frmSplash::SaveHighScores() {
    const menu::TextBoxTable table(txtHighScoreName, txtHighScore);
    const menu::FileStatus status = menu::WriteHighScoreFile(HighScorePath(), menu::TableLines(table));
    if (!status.ok) {
        ReportError(status.error,
                    "The high scores on screen are kept; the next confirmed name saves them again.");
    }
}

// A name entry still open when the program closes: the score earned its row,
// so the table is saved with the name typed so far.
void frmSplash::SavePendingNameEntry() {
    bool open = false;
    for (QLineEdit* box : txtHighScoreName) {
        if (!box->isReadOnly()) {
            open = true;
            if (box->text().isEmpty()) {
                box->setText(kEmptyName);
            }
            box->setReadOnly(true);
        }
    }
    if (open) {
        SaveHighScores();
    }
}
