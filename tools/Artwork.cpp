#include "Artwork.h"

#include "Pictures.h"
#include "SpriteSheet.h"

#include <cstdio>

namespace art {

namespace {

QImage Opaque(const QImage& picture) {
    return picture.convertToFormat(QImage::Format_RGB888);
}

// The sheet as the game's loader expects it: Qt writes an RGB32 picture as a
// 24-bit uncompressed bitmap, bottom-up rows padded to 4 bytes.
bool WriteBmp24(const QImage& picture, const QString& path) {
    constexpr int kPixelsPerMetre = 3780;  // 96 dots per inch
    QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    rgb.setDotsPerMeterX(kPixelsPerMetre);
    rgb.setDotsPerMeterY(kPixelsPerMetre);
    return rgb.save(path, "BMP");
}

}  // namespace

const std::vector<ArtworkFile>& ArtworkFiles() {
    static const std::vector<ArtworkFile> files{
        {"Images/bitmaps.bmp", 0, [] { return PaintSpriteSheet(); }},
        {"docs/specials.png", 0, [] { return PaintSpecialsGuide(PaintSpriteSheet()); }},
        {"windows/pictures/splash.png", kAntialiasTolerance, [] { return Opaque(PaintSplash()); }},
        {"windows/pictures/info.png", kAntialiasTolerance, [] { return Opaque(PaintInfo()); }},
        {"windows/pictures/playfield.png", kAntialiasTolerance, [] { return Opaque(PaintPlayfield()); }},
        {"windows/pictures/icon256.png", kAntialiasTolerance, [] { return PaintIcon(256); }},
        {"windows/pictures/icon128.png", kAntialiasTolerance, [] { return PaintIcon(128); }},
        {"windows/pictures/icon64.png", kAntialiasTolerance, [] { return PaintIcon(64); }},
        {"windows/pictures/icon48.png", kAntialiasTolerance, [] { return PaintIcon(48); }},
        {"windows/pictures/icon32.png", kAntialiasTolerance, [] { return PaintIcon(32); }},
        {"windows/pictures/icon24.png", kAntialiasTolerance, [] { return PaintIcon(24); }},
        {"windows/pictures/icon16.png", kAntialiasTolerance, [] { return PaintIcon(16); }},
    };
    return files;
}

bool WriteArtwork(const QImage& picture, const QString& path) {
    const bool ok =
        path.endsWith(QStringLiteral(".bmp")) ? WriteBmp24(picture, path) : picture.save(path, "PNG");
    if (ok)
        std::printf("wrote %s (%dx%d)\n", qPrintable(path), picture.width(), picture.height());
    else
        std::fprintf(stderr, "paint_artwork: cannot write %s\n", qPrintable(path));
    return ok;
}

}  // namespace art
