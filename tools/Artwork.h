#pragma once
// Every file paint_artwork writes, and how closely a repaint must match the
// committed copy for the artwork check (ctest -R ArtworkIsUpToDate).

#include <QImage>
#include <QString>

#include <vector>

namespace art {

// Antialiased painting and gradients go through floating point whose last bit
// depends on the processor (an AVX-512 machine repaints a few icon edge pixels
// one level off), so such pictures may differ from the committed file by this
// many levels of 255 per channel. A real change of the painter (a colour, a
// shape, a moved line) moves pixels by far more and still fails.
inline constexpr int kAntialiasTolerance = 2;

struct ArtworkFile {
    const char* path;  // under the repository's root
    int tolerance;     // levels per channel a repaint may be off; 0: exactly the committed pixels
    QImage (*paint)();
};

// The sprite sheet (the game's own data) and the players' guide cut from it
// must repaint exactly; the windows' pictures and the icons within the tolerance.
const std::vector<ArtworkFile>& ArtworkFiles();

// Writes the picture as the file's name says: the sheet as the game's 24-bit
// BMP, everything else as PNG. Prints what it wrote or why it could not.
bool WriteArtwork(const QImage& picture, const QString& path);

}  // namespace art
