#include "menu/FrmMainPlayWindow.h"

#include "platform/qt/frmMain.h"

namespace menu {

FrmMainPlayWindow::FrmMainPlayWindow(const std::string& programFolder)
    : window_(std::make_unique<frmMain>(programFolder)) {}

FrmMainPlayWindow::~FrmMainPlayWindow() = default;

bool FrmMainPlayWindow::ShowAndFocus(std::string& error) {
    return window_->ShowAndFocus(error);
}

int32_t FrmMainPlayWindow::Main() {
    return window_->Main();
}

void FrmMainPlayWindow::Hide() {
    window_->hide();
}

void FrmMainPlayWindow::Unload() {
    window_->Unload();
}

}  // namespace menu
