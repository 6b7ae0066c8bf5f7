#pragma once
// The modal message box: one OK button, no icon.

#include "platform/Platform.h"

namespace platform::qt {

class QtMessageBox final : public MessageBox {
public:
    // Parented to the active window, so it stays over the game.
    void MsgBox(std::string_view text, std::string_view title) override;
};

}  // namespace platform::qt
