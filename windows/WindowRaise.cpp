#include "windows/WindowRaise.h"

#include <QApplication>
#include <QWidget>

namespace windows {
namespace {

void BringUp(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

}  // namespace

void RaiseCurrentWindow(const QString& activationToken) {
    QWidget* target = QApplication::activeModalWidget();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window == target) continue;
        if (target == nullptr) {
            target = window;  // the one visible window when no box is open
        } else {
            BringUp(window);
        }
    }
    if (target == nullptr) return;
    // Qt's Wayland plugin spends the token from the environment on the next
    // activation, then clears it; other platforms do not read it.
    if (!activationToken.isEmpty() && QGuiApplication::platformName() == QLatin1String("wayland")) {
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toLatin1());
    }
    BringUp(target);
}

}  // namespace windows
