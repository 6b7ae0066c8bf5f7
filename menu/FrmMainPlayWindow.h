#pragma once
// The real play-field window behind the start window's PlayWindow.

#include <memory>
#include <string>

#include "menu/PlayWindow.h"

class frmMain;

namespace menu {

class FrmMainPlayWindow final : public PlayWindow {
public:
    explicit FrmMainPlayWindow(const std::string& programFolder);
    ~FrmMainPlayWindow() override;

    bool ShowAndFocus(std::string& error) override;
    int32_t Main() override;
    void Hide() override;
    void Unload() override;

private:
    std::unique_ptr<frmMain> window_;
};

}  // namespace menu
