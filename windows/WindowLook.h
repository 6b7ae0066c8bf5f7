#pragma once
// What the start and information windows share: borderless, fixed size, the
// program icon, a background picture, centred on the screen when first shown,
// moved by a drag on the background.

#include <QPixmap>

class QWidget;

namespace menu {

// Frameless top-level window of a fixed client size, with the program icon,
// that a left-button drag on its background (not on a control) moves.
void SetUpWindow(QWidget& window, int width, int height);

// A built-in picture, or a null pixmap when none is built in.
QPixmap BuiltInPicture(const char* resourcePath);

// Fills the window with its picture from the top-left corner; plain navy
// where no picture is built in. On a scaled screen the picture's pixels are
// enlarged as blocks, never smoothed.
void PaintBackground(QWidget& window, const QPixmap& picture);

// Centres the window in the available area of the screen that holds the
// mouse pointer (the primary screen when none does).
void CentreOnScreen(QWidget& window);

// Show, not modal, and give the focus.
void ShowAndActivate(QWidget& window);

}  // namespace menu
