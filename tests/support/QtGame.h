#pragma once
// The game drawing into the real Qt surface, with the fake keys, clock,
// events, message box and random source: what the pixel tests, the golden
// frames and the sheet fuzzer draw with.

#include <string>

#include <QImage>

#include "game/Constants.h"
#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "platform/qt/QtSurface.h"
#include "tests/support/FirstStage.h"

namespace testsupport {

struct QtGame {
    platform::fake::FakePlatform fakes;
    platform::qt::QtSurface surface;
    game::Game game;

    explicit QtGame(const QImage& background, const std::string& programFolder = "unused")
        : surface(background),
          game(platform::Services{fakes.keyboard, fakes.clock, fakes.events, fakes.messages, fakes.random,
                                  surface},
               programFolder) {
        surface.KeepSheetPart(QSize(game::kSheetWidth, game::kSheetHeight));  // as the program does
    }

    void StartStage() { StartFirstStage(game); }
};

}  // namespace testsupport
