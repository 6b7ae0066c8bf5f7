// The sprite sheet, whatever its bytes: load it through the real surface
// (Qt's offscreen platform) and draw a frame from it with the thing
// positions, sizes and sheet corners of GameState set from the input. Built
// with AddressSanitizer, any read outside the sheet or write outside the
// window's image is a crash.
//
// Input: the first 64 bytes are 32 little-endian int16 values for GameState
// (see Apply), the rest is the file. Short inputs are padded with zeros.

#include <stdlib.h>

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>

#include "tests/support/QtGame.h"

namespace {

constexpr std::size_t kParamBytes = 64;

using World = testsupport::QtGame;

std::unique_ptr<QGuiApplication> app;
std::unique_ptr<World> world;
std::string folder;
std::string sheetPath;

void CleanUp() {
    world.reset();
    app.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

int16_t Clamp16(int64_t v) {
    return static_cast<int16_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

// Spreads the 32 values over the fields DrawFrame reads.
void Apply(const int16_t (&p)[32], game::Game& g) {
    game::GameState& s = g.state;
    s.ballX = p[0], s.ballY = p[1], s.ballWidth = p[2], s.ballHeight = p[3];
    s.ballSpriteX = p[4], s.ballSpriteY = p[5], s.ballMaskX = p[6], s.ballMaskY = p[7];
    s.paddleX = p[8], s.paddleY = p[9], s.paddleWidth = p[10], s.paddleHeight = p[11];
    s.paddleSpriteX = p[12], s.paddleSpriteY = p[13], s.paddleMaskX = p[14], s.paddleMaskY = p[15];
    s.specialX = p[16], s.specialY = p[17], s.specialWidth = p[18], s.specialHeight = p[19];
    s.specialSpriteX = p[20], s.specialSpriteY = p[21], s.specialMaskX = p[22], s.specialMaskY = p[23];

    const auto flags = static_cast<uint16_t>(p[29]);
    for (int i = 1; i <= game::BrickTable::kCount; ++i) {
        game::Brick& b = s.bricks[i];
        const int column = (i - 1) % 10, row = (i - 1) / 10;
        b.x = Clamp16(int64_t{p[24]} + int64_t{52} * column * (1 + (p[28] & 3)));
        b.y = Clamp16(int64_t{p[25]} + int64_t{20} * row * (1 + ((p[28] >> 2) & 3)));
        b.spriteX = Clamp16(int64_t{p[26]} + row);
        b.spriteY = Clamp16(int64_t{p[27]} + 20 * (row % 4));
        b.width = Clamp16(int64_t{p[28]} >> 4);
        b.height = Clamp16(int64_t{p[28]} >> 8);
        b.alive = ((flags >> (i % 16)) & 1) != 0;
        b.captionOn = ((flags >> ((i + 5) % 16)) & 1) != 0;
        b.captionValue = p[31];
        b.captionAge = Clamp16(p[30] >> 8);
    }
    s.specialFalling = (flags & 1) != 0;
    s.effectActive = (flags & 2) != 0;
    s.strobeShown = (flags & 4) != 0;
    g.locals.paused = (flags & 8) != 0;
    s.captionFrames = static_cast<int16_t>(p[30] & 0x3f);
    s.specialKind = static_cast<int16_t>((p[30] >> 6) & 7);
    s.specialPoints = p[31];
    s.score = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(p[31])) << 16 |
                                   static_cast<uint16_t>(p[30]));
    s.lives = p[29];
    s.level = p[27];
    s.stage = p[26];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app = std::make_unique<QGuiApplication>(*argc, *argv);
    QImage background(640, 420, QImage::Format_RGB32);
    background.fill(qRgb(200, 200, 200));
    world = std::make_unique<World>(background);
    std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string name = base + "/tilebash-sheet-fuzz-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) std::abort();
    folder = name;
    sheetPath = folder + "/bitmaps.bmp";
    std::atexit(CleanUp);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    int16_t params[32] = {};
    for (std::size_t i = 0; i < kParamBytes && i < size; ++i) {
        auto& v = params[i / 2];
        v = static_cast<int16_t>(static_cast<uint16_t>(v) |
                                 (static_cast<uint16_t>(data[i]) << (8 * (i % 2))));
    }
    {
        FILE* f = std::fopen(sheetPath.c_str(), "wb");
        if (f == nullptr) std::abort();
        if (size > kParamBytes) std::fwrite(data + kParamBytes, 1, size - kParamBytes, f);
        std::fclose(f);
    }

    World& w = *world;
    std::string error;
    const bool loaded = w.surface.LoadBitmaps(sheetPath, error);
    if (!loaded && error.find(sheetPath) == std::string::npos) {
        std::fprintf(stderr, "sheet fuzzer: the error does not name the file: %s\n", error.c_str());
        std::abort();
    }
    if (loaded && w.surface.Sheet().format() != QImage::Format_RGB32) {
        std::fprintf(stderr, "sheet fuzzer: the sheet was not converted once for play\n");
        std::abort();
    }
    Apply(params, w.game);
    // A font size from the input too, within what the game could ask for.
    w.surface.FontSize(static_cast<double>(static_cast<uint16_t>(params[31]) % 40) + 0.75);
    w.game.DrawFrame();
    w.surface.FontSize(platform::qt::QtSurface::kWindowFontPoints);
    return 0;
}
