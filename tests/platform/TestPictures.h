#pragma once
// Pictures and a game wired to the real surface, for the pixel tests.

#include <QImage>
#include <QTemporaryDir>
#include <string>

#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "platform/qt/QtSurface.h"

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

inline QRgb Px(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xff000000u; }

// Starts a new game at its first stage, paused, with the ball served.
void StartStage(game::Game& game);

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
    void StartStage() { testpics::StartStage(game); }
};

}  // namespace testpics
