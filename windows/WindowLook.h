#pragma once
// What the three windows share: borderless, fixed size, the program icon, a
// background picture, centred when first shown, moved by a drag on the
// background, shown with the focus, and their font.

#include <QPixmap>
#include <QRect>

class QWidget;

namespace windows {

// The program's name, the title of every window and message box.
inline constexpr char kProgramName[] = "Tilebash";

// Frameless top-level window, fixed at the client size its form gave it, with
// the program icon, centred on the pointer's screen when first shown, that a
// left-button drag on its background (not on a control) moves, and that
// screen readers are told is a window (a frame, named by its title). handle
// is where a drag may start; an empty rectangle means the whole window.
void SetUpWindow(QWidget& window, QRect handle = {});

// Makes the windows' font, a sans-serif of MS Sans Serif's pixel sizes, the
// application's: every window and message box without a font of its own takes
// it. Call before the first window is created.
void UseWindowFont();

// A built-in picture, or a null pixmap when none is built in.
QPixmap BuiltInPicture(const char* resourcePath);

// Fills the window with its picture from the top-left corner; plain navy
// where no picture is built in. On a scaled screen the picture's pixels are
// enlarged as blocks, never smoothed.
void PaintBackground(QWidget& window, const QPixmap& picture);

// Show, not modal, and give the focus.
void ShowAndActivate(QWidget& window);

}  // namespace windows
