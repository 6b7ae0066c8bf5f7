#include "menu/frmInfo.h"

#include <QCloseEvent>

#include "menu/AccessibleText.h"
#include "ui_frmInfo.h"
#include "windows/RoundedShape.h"
#include "windows/WindowLook.h"

frmInfo::frmInfo(QWidget& startWindow) : ui_(std::make_unique<Ui::frmInfo>()), startWindow_(startWindow) {
    ui_->setupUi(this);
    windows::SetUpWindow(*this);
    menu::DescribeBackButton(*ui_->cmdMainMenu);
    menu::NameInstructions(*ui_->lblInstructions);
    background_ = windows::BuiltInPicture(":/pictures/info.png");
    connect(ui_->cmdMainMenu, &QPushButton::clicked, this, &frmInfo::cmdMainMenu_Click);
    Form_Load();
}

frmInfo::~frmInfo() = default;

void frmInfo::Form_Load() {
    windows::SetRoundedShape(*ui_->cmdMainMenu);
}

void frmInfo::cmdMainMenu_Click() {
    hide();
    windows::ShowAndActivate(startWindow_);
}

void frmInfo::Unload() {
    unloading_ = true;
    close();
}

void frmInfo::paintEvent(QPaintEvent* /*event*/) {
    windows::PaintBackground(*this, background_);
}

void frmInfo::closeEvent(QCloseEvent* event) {
    if (unloading_) {
        event->accept();
        return;
    }
    // Closed by the system: go back to the start window rather than leave the
    // program running with no window on screen.
    event->ignore();
    cmdMainMenu_Click();
}
