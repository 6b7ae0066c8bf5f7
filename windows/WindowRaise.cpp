#include "windows/WindowRaise.h"

#include <QApplication>
#include <QWidget>

namespace windows {

void RaiseCurrentWindow() {
    QWidget* const modal = QApplication::activeModalWidget();
    const auto bringUp = [](QWidget* window) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->raise();
        window->activateWindow();
    };
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window != modal) bringUp(window);
    }
    if (modal != nullptr) bringUp(modal);
}

}  // namespace windows
