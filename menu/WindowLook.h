#pragma once
// What the start and information windows share: borderless, fixed size, the
// program icon, a background picture, centred on the screen when first shown.

#include <QPixmap>

class QWidget;

namespace menu {

// Frameless top-level window of a fixed client size, with the program icon.
void SetUpWindow(QWidget& window, int width, int height);

// A built-in picture, or a null pixmap when none is built in.
QPixmap BuiltInPicture(const char* resourcePath);

// Fills the window with its picture from the top-left corner; plain navy
// where no picture is built in.
void PaintBackground(QWidget& window, const QPixmap& picture);

// Centres the window on its screen's available area.
void CentreOnScreen(QWidget& window);

// Show, not modal, and give the focus.
void ShowAndActivate(QWidget& window);

}  // namespace menu
