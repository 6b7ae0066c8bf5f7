#pragma once
// The windows' built-in pictures, taken from the program's
// resources, with a plain stand-in where a picture is not built in.

#include <QIcon>
#include <QImage>

namespace windows {

// The play field's 640 x 420 background that Cls restores; a plain stand-in
// where the picture is not built in.
QImage PlayFieldPicture();
// The program icon in its 32, 24 and 16 pixel images (empty if none is built in).
QIcon ProgramIcon();

}  // namespace windows
