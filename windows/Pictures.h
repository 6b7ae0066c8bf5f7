#pragma once
// The play-field window's built-in pictures, taken from the program's
// resources, with a plain stand-in where a picture is not built in.

#include <QIcon>
#include <QImage>

namespace platform::qt {

// The 640 x 420 background that Cls restores.
QImage PlayFieldPicture();
// The program icon in its 32, 24 and 16 pixel images (empty if none is built in).
QIcon ProgramIcon();
// The plain stand-in: blue frame, light play area, dark side with three light
// status panels, at the places the pictures use.
QImage PlainPlayFieldPicture();

}  // namespace platform::qt
