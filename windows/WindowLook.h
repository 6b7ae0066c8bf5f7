#pragma once
// What the three windows share: borderless, fixed size, the program icon, a
// background picture, moved by a drag on the background, and shown with the
// focus.

#include <QPixmap>
#include <QRect>

class QWidget;

namespace windows {

// Frameless top-level window of a fixed client size, with the program icon,
// that a left-button drag on its background (not on a control) moves. handle
// is where a drag may start; an empty rectangle means the whole window.
void SetUpWindow(QWidget& window, int width, int height, QRect handle = {});

// A built-in picture, or a null pixmap when none is built in.
QPixmap BuiltInPicture(const char* resourcePath);

// Fills the window with its picture from the top-left corner; plain navy
// where no picture is built in. On a scaled screen the picture's pixels are
// enlarged as blocks, never smoothed.
void PaintBackground(QWidget& window, const QPixmap& picture);

// Show, not modal, and give the focus.
void ShowAndActivate(QWidget& window);

}  // namespace windows
