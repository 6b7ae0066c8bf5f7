#pragma once
// The modal message box: one OK button. The program's only way to show one.

#include <QMessageBox>
#include <QString>

#include "platform/Platform.h"

namespace platform::qt {

// Modal box with one OK button and the text as plain text, parented to the
// active window so it stays over the game; returns when it is closed.
void ShowMessageBox(const QString& text, const QString& title, QMessageBox::Icon icon);

class QtMessageBox final : public MessageBox {
public:
    // No icon.
    void MsgBox(std::string_view text, std::string_view title) override;
};

}  // namespace platform::qt
