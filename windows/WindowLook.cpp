#include "windows/WindowLook.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QWidget>

#include "windows/Pictures.h"
#include "windows/WindowDrag.h"
#include "windows/WindowPlacement.h"

namespace windows {

namespace {

constexpr char kProgramWindow[] = "tilebashWindow";

// Qt describes a plain top-level widget as a client area, which screen
// readers call a filler and do not announce as a window; the program's
// windows are frames, named by their title.
QAccessibleInterface* ProgramWindowAccessible(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr || !widget->isWindow() || !widget->property(kProgramWindow).toBool())
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

// Qt keeps a widget's first interface for the widget's life, and Qt 6.8 makes
// the window's while the form sets its title, before the factory knows the
// window: that client area is dropped, and the next look-up asks the factory.
void DescribeAsWindow(QWidget& window) {
    window.setProperty(kProgramWindow, true);
    QAccessible::installFactory(ProgramWindowAccessible);  // once: Qt ignores a factory it has
    QAccessibleInterface* described = QAccessible::queryAccessibleInterface(&window);
    if (described != nullptr && described->role() != QAccessible::Window) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(described));
    }
}

}  // namespace

void SetUpWindow(QWidget& window, QRect handle) {
    DescribeAsWindow(window);
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(window.size());
    window.setWindowIcon(ProgramIcon());
    CentreWhenFirstShown(window);
    WindowDrag::Install(window, handle);
}

void UseWindowFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);
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
