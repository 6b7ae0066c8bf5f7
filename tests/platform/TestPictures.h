#pragma once
// Pictures and a game wired to the real surface, for the pixel tests.

#include <QImage>
#include <QTemporaryDir>
#include <string>

#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "platform/qt/QtSurface.h"

namespace testpics {

// An 80 x 160 sheet with every rectangle of the real layout, drawn after the
// mask convention: paddle trapezoid with notched mask corners (4, 8, 11, 13
// pixels in the last four rows), ball disc, four bricks, bonus token with a
// ring of slits, seven token colours. White outside the rectangles.
QImage SyntheticSheet();
// A 640 x 420 background: light mosaic play area, dark side, light panels.
QImage TestBackground();
// The committed Images/bitmaps.bmp, or "" while it is not there.
std::string CommittedSheetPath();
// Saves a picture as BMP in dir and returns its path.
std::string SaveBmp(const QImage& picture, const QTemporaryDir& dir, const char* name);

inline QRgb Px(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xff000000u; }

// The game over the real surface, with faked keys, clock and events.
struct QtGame {
    platform::fake::FakePlatform fakes;
    platform::qt::QtSurface surface;
    game::Game game;
    explicit QtGame(const QImage& background)
        : surface(background),
          game(platform::Services{fakes.keyboard, fakes.clock, fakes.events, fakes.messages,
                                  fakes.random, surface},
               "unused") {}
    // A new game at its first stage, paused, with the ball served.
    void StartStage();
};

}  // namespace testpics
