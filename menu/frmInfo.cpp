#include "menu/frmInfo.h"

#include <QCloseEvent>

#include "menu/AccessibleText.h"
#include "menu/RoundedShape.h"
#include "menu/WindowLook.h"
#include "ui_frmInfo.h"

frmInfo::frmInfo(QWidget& startWindow)
    : ui_(std::make_unique<Ui::frmInfo>()), startWindow_(startWindow) {
    ui_->setupUi(this);
    cmdMainMenu = ui_->cmdMainMenu;
    menu::SetUpWindow(*this, 500, 400);
    menu::DescribeBackButton(*cmdMainMenu);
    background_ = menu::BuiltInPicture(":/pictures/info.png");
    connect(cmdMainMenu, &QPushButton::clicked, this, &frmInfo::cmdMainMenu_Click);
    Form_Load();
}

frmInfo::~frmInfo() = default;

void frmInfo::Form_Load() {
    menu::SetRoundedShape(*cmdMainMenu, 5, 8, 108, 33, 15, 15);
}

void frmInfo::cmdMainMenu_Click() {
    hide();
    menu::ShowAndActivate(startWindow_);
}

void frmInfo::Unload() {
    unloading_ = true;
    close();
}

void frmInfo::paintEvent(QPaintEvent* /*event*/) {
    menu::PaintBackground(*this, background_);
}

void frmInfo::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        menu::CentreOnScreen(*this);
    }
    QWidget::showEvent(event);
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
