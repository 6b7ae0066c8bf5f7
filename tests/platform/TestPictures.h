#pragma once
// Pictures and a game wired to the real surface, for the pixel tests.

#include <QImage>
#include <QTemporaryDir>
#include <string>

#include "tests/support/QtGame.h"

namespace testpics {

// A sheet with every rectangle of the layout in game/Constants.h, drawn after
// the mask convention in plain colours of its own: paddle trapezoid with the
// notched mask corners, ball disc, four bricks, the bonus item's disc with a
// ring of slits in seven colours. White outside the rectangles.
QImage SyntheticSheet();
// A 640 x 420 background: light mosaic play area, dark side, the light status
// panels where game/Constants.h puts them.
QImage TestBackground();
// The committed Images/bitmaps.bmp, or "" while it is not there.
std::string CommittedSheetPath();
// Saves a picture as BMP in dir and returns its path.
std::string SaveBmp(const QImage& picture, const QTemporaryDir& dir, const char* name);

inline QRgb Px(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000u;
}

using QtGame = testsupport::QtGame;

// Saves sheet as a BMP in a folder of its own and loads it into the game's
// surface, the committed Images/bitmaps.bmp instead when asked and present;
// returns "" or why the sheet did not load.
std::string LoadSheet(QtGame& g, const QImage& sheet = SyntheticSheet(), bool committed = false);

// A program folder holding Images/bitmaps.bmp (the committed sheet if there,
// else the synthetic one), for the play window.
struct ProgramDir {
    QTemporaryDir dir;
    std::string folder;
    std::string sheet;  // its Images/bitmaps.bmp
    explicit ProgramDir(const QString& name = QStringLiteral("Tilebash \u00e9t\u00e9"));
};

}  // namespace testpics
