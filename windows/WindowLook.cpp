#include "windows/WindowLook.h"

#include <QFile>
#include <QPainter>
#include <QWidget>

#include "windows/Pictures.h"
#include "windows/WindowDrag.h"

namespace windows {

void SetUpWindow(QWidget& window, int width, int height, QRect handle) {
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(width, height);
    window.setWindowIcon(ProgramIcon());
    WindowDrag::Install(window, handle);
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

void ShowAndActivate(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace windows
