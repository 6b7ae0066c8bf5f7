#pragma once
// Printable ASCII of the play-field window's font, rendered once into a grey
// coverage image, so that printing during play is a plain blend of stored
// coverage over the window's image: no font engine, no allocation.

#include <QImage>
#include <array>
#include <cstdint>

namespace platform::qt {

class GlyphAtlas {
public:
    static constexpr int kFirst = 32;  // ' '
    static constexpr int kLast = 126;  // '~'

    struct Glyph {
        int32_t atlasX = 0;  // left of the glyph's cell in the coverage image
        int32_t width = 0;   // cell size; 0 for a blank
        int32_t height = 0;
        int32_t offsetX = 0;  // cell corner relative to the pen position ...
        int32_t offsetY = 0;  // ... and to the top of the text line
        int32_t advance = 0;  // how far the pen moves
    };

    // Liberation Sans Bold (the stand-in for MS Sans Serif) at pixelSize.
    explicit GlyphAtlas(int32_t pixelSize);

    int32_t PixelSize() const { return pixelSize_; }
    int32_t LineHeight() const { return lineHeight_; }
    // Characters outside the printable range print as '?'.
    const Glyph& At(unsigned char c) const;
    // Coverage 0..255, one byte per pixel (Format_Grayscale8).
    const QImage& Coverage() const { return coverage_; }

private:
    int32_t pixelSize_;
    int32_t lineHeight_ = 0;
    std::array<Glyph, kLast - kFirst + 1> glyphs_{};
    QImage coverage_;
};

}  // namespace platform::qt
