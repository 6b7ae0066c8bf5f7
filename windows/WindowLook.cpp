#include "menu/WindowLook.h"

#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QWidget>

#include "platform/qt/WindowDrag.h"
#include "platform/qt/WindowPlacement.h"

namespace menu {
namespace {

QIcon ProgramIcon() {
    QIcon icon;
    for (const char* name :
         {":/pictures/icon32.png", ":/pictures/icon24.png", ":/pictures/icon16.png"}) {
        const QString path = QString::fromLatin1(name);
        if (QFile::exists(path)) {
            icon.addFile(path);
        }
    }
    return icon;
}

}  // namespace

void SetUpWindow(QWidget& window, int width, int height) {
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(width, height);
    window.setWindowIcon(ProgramIcon());
    platform::qt::WindowDrag::Install(window);
}

QPixmap BuiltInPicture(const char* resourcePath) {
    const QString path = QString::fromLatin1(resourcePath);
    return QFile::exists(path) ? QPixmap(path) : QPixmap();
}

void PaintBackground(QWidget& window, const QPixmap& picture) {
    QPainter painter(&window);
    if (picture.isNull()) {
        painter.fillRect(window.rect(), QColor(0, 0, 128));
    } else {
        // The program asks Qt for whole-number scale factors only (main.cpp),
        // so at 2x each picture pixel becomes a 2 x 2 block. Smoothing would
        // blur the pixel art's hard edges; nearest-neighbour keeps them.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawPixmap(0, 0, picture);
    }
}

void CentreOnScreen(QWidget& window) {
    platform::qt::CentreOnPointerScreen(window);
}

void ShowAndActivate(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace menu
