#pragma once
// Key state for GetKeyState, kept from the application's key presses and
// releases. Every key counts as released when the application loses the
// focus, so no key sticks down after a switch to another window, and the loss
// is kept for TakeFocusLoss, so the game can pause while keys cannot reach it.

#include <QObject>
#include <array>

#include "platform/Platform.h"

namespace platform::qt {

class QtKeyboard final : public QObject, public Keyboard {
    Q_OBJECT
public:
    // Watches every key event of the running QApplication.
    explicit QtKeyboard(QObject* parent = nullptr);
    ~QtKeyboard() override;

    int16_t GetKeyState(int32_t virtualKey) override;
    bool TakeFocusLoss() override;
    void ReleaseAll() { down_.fill(false); }

    // Virtual-key code of a Qt key, 0 for keys the table does not know. A
    // letter of another script (a Cyrillic or Greek layout) counts as the
    // Latin letter on the same key of a US keyboard, found by its scan code,
    // so P, Q and R work whatever alphabet the layout types.
    static int32_t VirtualKeyOf(int qtKey, uint32_t scanCode = 0);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Deactivated();

    std::array<bool, 256> down_{};
    bool focusLost_ = false;
};

}  // namespace platform::qt
