#include "platform/qt/QtSurface.h"

#include <QFileInfo>
#include <QImageReader>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::qt {

namespace {

// Points are realised as whole pixels at 96 dpi, whatever the screen.
constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr int32_t kMinPixels = 1;
constexpr int32_t kMaxPixels = 256;  // keeps an absurd request from building a huge atlas
// Sizes the game prints at: legend 7.75 pt, window 9.75, "Paused" 18, title 24.
constexpr int32_t kPreparedPixels[] = {10, 13, 24, 32};
const QRgb kFaceColour = qRgb(240, 240, 240);  // hidden under the picture

int32_t PixelsFor(double points) {
    if (!std::isfinite(points)) return kMinPixels;
    const double pixels = std::round(points * kPixelsPerPoint);
    return static_cast<int32_t>(std::clamp(pixels, double{kMinPixels}, double{kMaxPixels}));
}

QRgb ToQRgb(Rgb c) { return qRgb(c.r, c.g, c.b); }

// c * a + d * (255 - a), per channel, rounded: exact and repeatable.
inline QRgb Blend(QRgb colour, QRgb dst, uint32_t a) {
    const uint32_t na = 255 - a;
    const auto mix = [&](uint32_t s, uint32_t d) { return (s * a + d * na + 127) / 255; };
    return qRgb(static_cast<int>(mix(static_cast<uint32_t>(qRed(colour)), static_cast<uint32_t>(qRed(dst)))),
                static_cast<int>(mix(static_cast<uint32_t>(qGreen(colour)), static_cast<uint32_t>(qGreen(dst)))),
                static_cast<int>(mix(static_cast<uint32_t>(qBlue(colour)), static_cast<uint32_t>(qBlue(dst)))));
}

// [lo, hi) of offsets 0..len-1 for which both a + offset and b + offset lie
// inside their images (widths wa, wb). Wide arithmetic: no argument overflows.
struct Span {
    int64_t lo;
    int64_t hi;
};
Span ClipSpan(int64_t a, int64_t wa, int64_t b, int64_t wb, int64_t len) {
    const int64_t lo = std::max({int64_t{0}, -a, -b});
    const int64_t hi = std::min({len, wa - a, wb - b});
    return {lo, hi};
}

}  // namespace

QtSurface::QtSurface(const QImage& background, QWidget* owner)
    : image_(kWidth, kHeight, QImage::Format_RGB32),
      background_(kWidth, kHeight, QImage::Format_RGB32),
      owner_(owner) {
    background_.fill(kFaceColour);
    if (!background.isNull()) {
        const QImage picture = background.convertToFormat(QImage::Format_RGB32);
        const int w = std::min(picture.width(), kWidth);
        const int h = std::min(picture.height(), kHeight);
        for (int y = 0; y < h; ++y) {
            std::memcpy(background_.scanLine(y), picture.constScanLine(y),
                        static_cast<std::size_t>(w) * sizeof(QRgb));
        }
    }
    image_ = background_.copy();
    atlases_.reserve(16);
    for (int32_t pixels : kPreparedPixels) atlases_.push_back(std::make_unique<GlyphAtlas>(pixels));
    current_ = &AtlasFor(PixelsFor(kWindowFontPoints));
}

QtSurface::~QtSurface() = default;

bool QtSurface::LoadBitmaps(const std::string& path, std::string& error) {
    const QString file = QString::fromStdString(path);  // UTF-8
    if (!QFileInfo(file).isFile()) {
        error = "Cannot load the sprite sheet \"" + path + "\": the file does not exist.";
        return false;
    }
    QImageReader reader(file, "bmp");
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);
    QImage picture = reader.read();
    if (picture.isNull()) {
        error = "Cannot load the sprite sheet \"" + path + "\": " +
                reader.errorString().toStdString() + " (a Windows bitmap is expected).";
        return false;
    }
    // Converted once here, so every copy during play is a plain word operation.
    sheet_ = picture.convertToFormat(QImage::Format_RGB32);
    return true;
}

void QtSurface::Cls() {
    std::memcpy(image_.bits(), background_.constBits(), static_cast<std::size_t>(image_.sizeInBytes()));
    currentX_ = 0;
    currentY_ = 0;
    MarkDirty();
}

void QtSurface::MarkDirty() {
    if (dirty_ || owner_ == nullptr) return;
    dirty_ = true;
    owner_->update();
}

const GlyphAtlas& QtSurface::AtlasFor(int32_t pixels) {
    for (const auto& atlas : atlases_) {
        if (atlas->PixelSize() == pixels) return *atlas;
    }
    // A size not prepared: built once, on its first use.
    atlases_.push_back(std::make_unique<GlyphAtlas>(pixels));
    return *atlases_.back();
}

double QtSurface::FontSize() const { return current_->PixelSize() / kPixelsPerPoint; }

void QtSurface::FontSize(double points) { current_ = &AtlasFor(PixelsFor(points)); }

void QtSurface::Print(std::string_view text) {
    const GlyphAtlas& atlas = *current_;
    const QImage& coverage = atlas.Coverage();
    const QRgb colour = ToQRgb(foreColor_);
    const int64_t top = currentY_;
    int64_t pen = currentX_;
    MarkDirty();
    for (char ch : text) {
        const GlyphAtlas::Glyph& g = atlas.At(static_cast<unsigned char>(ch));
        const int64_t left = pen + g.offsetX;
        const int64_t cellTop = top + g.offsetY;
        pen += g.advance;
        const Span xs = ClipSpan(left, kWidth, g.atlasX, coverage.width(), g.width);
        const Span ys = ClipSpan(cellTop, kHeight, 0, coverage.height(), g.height);
        const int64_t n = xs.hi - xs.lo;
        if (n <= 0) continue;
        for (int64_t dy = ys.lo; dy < ys.hi; ++dy) {
            const uchar* cov = coverage.constScanLine(static_cast<int>(dy)) + (g.atlasX + xs.lo);
            auto* dst = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(cellTop + dy))) +
                        (left + xs.lo);
            for (int64_t i = 0; i < n; ++i) {
                const uint32_t a = cov[i];
                if (a == 0) continue;
                dst[i] = a == 255 ? colour : Blend(colour, dst[i], a);
            }
        }
    }
    currentX_ = 0;
    currentY_ = static_cast<int32_t>(std::clamp<int64_t>(top + atlas.LineHeight(), INT32_MIN, INT32_MAX));
}

void QtSurface::FillSpan(int64_t x1, int64_t x2, int64_t y, QRgb colour) {
    if (y < 0 || y >= kHeight) return;
    const int64_t from = std::max<int64_t>(x1, 0);
    const int64_t to = std::min<int64_t>(x2, kWidth - 1);
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
    for (int64_t x = from; x <= to; ++x) row[x] = colour;
}

void QtSurface::RectangleOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Rgb colour) {
    MarkDirty();
    const QRgb c = ToQRgb(colour);
    const int64_t left = std::min(x1, x2), right = std::max(x1, x2);
    const int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
    FillSpan(left, right, top, c);
    FillSpan(left, right, bottom, c);
    const int64_t from = std::max<int64_t>(top + 1, 0);
    const int64_t to = std::min<int64_t>(bottom - 1, kHeight - 1);
    for (int64_t y = from; y <= to; ++y) {
        FillSpan(left, left, y, c);
        FillSpan(right, right, y, c);
    }
}

void QtSurface::BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                       RasterOp op) {
    if (sheet_.isNull() || w <= 0 || h <= 0) return;
    const Span xs = ClipSpan(x, kWidth, srcX, sheet_.width(), w);
    const Span ys = ClipSpan(y, kHeight, srcY, sheet_.height(), h);
    if (xs.lo >= xs.hi || ys.lo >= ys.hi) return;
    MarkDirty();
    const int64_t n = xs.hi - xs.lo;
    for (int64_t dy = ys.lo; dy < ys.hi; ++dy) {
        // Row pointers start at the first copied pixel: none points outside its image.
        const auto* src = reinterpret_cast<const QRgb*>(sheet_.constScanLine(static_cast<int>(srcY + dy))) +
                          (srcX + xs.lo);
        auto* dst = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y + dy))) + (x + xs.lo);
        switch (op) {
            case RasterOp::SRCCOPY:
                std::memcpy(dst, src, static_cast<std::size_t>(n) * sizeof(QRgb));
                break;
            case RasterOp::SRCAND:
                for (int64_t i = 0; i < n; ++i) dst[i] &= src[i];
                break;
            case RasterOp::SRCPAINT:
                for (int64_t i = 0; i < n; ++i) dst[i] |= src[i];
                break;
        }
    }
}

void QtSurface::Refresh() {
    ++refreshes_;
    if (owner_ != nullptr) owner_->repaint();  // synchronous: the frame is on screen now
    dirty_ = false;
}

}  // namespace platform::qt
