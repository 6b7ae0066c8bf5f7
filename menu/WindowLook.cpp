#include "menu/WindowLook.h"

#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QScreen>
#include <QWidget>

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
        painter.drawPixmap(0, 0, picture);
    }
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    window.move(area.x() + (area.width() - window.width()) / 2,
                area.y() + (area.height() - window.height()) / 2);
}

void ShowAndActivate(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace menu
