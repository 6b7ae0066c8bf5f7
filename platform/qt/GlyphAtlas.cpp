#include "platform/qt/GlyphAtlas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace platform::qt {

namespace {

QFont WindowFont(int32_t pixelSize) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    font.setKerning(false);  // the pen moves by each glyph's own advance
    return font;
}

constexpr int32_t kPad = 1;  // room for antialiased edges outside the ink box

}  // namespace

GlyphAtlas::GlyphAtlas(int32_t pixelSize) : pixelSize_(pixelSize) {
    const QFont font = WindowFont(pixelSize);
    const QFontMetrics metrics(font);
    lineHeight_ = metrics.height();
    const int32_t ascent = metrics.ascent();

    // Lay the cells out in one row: each is the glyph's ink box plus padding.
    int32_t totalWidth = 0;
    int32_t maxHeight = 1;
    std::array<QRect, kLast - kFirst + 1> inkBoxes{};
    for (int c = kFirst; c <= kLast; ++c) {
        const QChar ch(static_cast<char16_t>(c));
        const QRect ink = metrics.boundingRect(ch);  // relative to the baseline origin
        Glyph& g = glyphs_[static_cast<std::size_t>(c - kFirst)];
        g.advance = metrics.horizontalAdvance(ch);
        inkBoxes[static_cast<std::size_t>(c - kFirst)] = ink;
        if (c == ' ' || ink.isEmpty()) continue;
        g.width = ink.width() + 2 * kPad;
        g.height = ink.height() + 2 * kPad;
        g.offsetX = ink.left() - kPad;
        g.offsetY = ascent + ink.top() - kPad;
        g.atlasX = totalWidth;
        totalWidth += g.width;
        maxHeight = std::max(maxHeight, g.height);
    }

    // White text on transparent; the alpha channel is the coverage.
    QImage canvas(std::max(totalWidth, 1), maxHeight, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::white);
        for (int c = kFirst; c <= kLast; ++c) {
            const Glyph& g = glyphs_[static_cast<std::size_t>(c - kFirst)];
            if (g.width == 0) continue;
            const QRect& ink = inkBoxes[static_cast<std::size_t>(c - kFirst)];
            // Pen origin such that the ink box lands at the cell's padded corner.
            const QPoint origin(g.atlasX + kPad - ink.left(), kPad - ink.top());
            painter.setClipRect(g.atlasX, 0, g.width, g.height);
            painter.drawText(origin, QString(QChar(static_cast<char16_t>(c))));
        }
    }

    coverage_ = QImage(canvas.width(), canvas.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < canvas.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        uchar* dst = coverage_.scanLine(y);
        for (int x = 0; x < canvas.width(); ++x) dst[x] = static_cast<uchar>(qAlpha(src[x]));
    }
}

const GlyphAtlas::Glyph& GlyphAtlas::At(unsigned char c) const {
    const int index = (c < kFirst || c > kLast) ? '?' : c;
    return glyphs_[static_cast<std::size_t>(index - kFirst)];
}

}  // namespace platform::qt
