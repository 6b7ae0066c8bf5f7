// Carrying out the operations on the play-field image: text, outlines and
// block copies, each clipped, each noting the box it touched, and the boxes
// they would touch.

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/qt/QtRaster.h"
#include "platform/qt/SurfacePixels.h"

namespace platform::qt {

using draw::Box;
using draw::DrawOp;

namespace {

QRgb ToQRgb(Rgb c) {
    return qRgb(c.r, c.g, c.b);
}

// c * a + d * (255 - a), per channel, rounded: exact and repeatable.
inline QRgb Blend(QRgb colour, QRgb dst, uint32_t a) {
    const uint32_t na = 255 - a;
    const auto mix = [&](uint32_t s, uint32_t d) { return (s * a + d * na + 127) / 255; };
    return qRgb(
        static_cast<int>(mix(static_cast<uint32_t>(qRed(colour)), static_cast<uint32_t>(qRed(dst)))),
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

int32_t Narrow(int64_t v) {
    return static_cast<int32_t>(v);
}  // callers pass values inside the image

}  // namespace

void QtRaster::Execute(const DrawOp& op, std::string_view text) {
    switch (op.kind) {
        case DrawOp::Kind::Print:
            ExecutePrint(op, text);
            break;
        case DrawOp::Kind::Outline:
            ExecuteOutline(op);
            break;
        case DrawOp::Kind::Blit:
            ExecuteBlit(op);
            break;
    }
}

void QtRaster::ExecutePrint(const DrawOp& op, std::string_view text) {
    const GlyphAtlas& metrics = *op.font->metrics;
    const GlyphAtlas& atlas = *op.font->pixels;
    const QImage& coverage = atlas.Coverage();
    const QRgb colour = ToQRgb(op.colour);
    const int64_t width = image_.width(), height = image_.height();
    const int64_t top = op.y;
    int64_t pen = op.x;  // in game pixels, moved by the 1x advances
    PixelRows rows(image_);
    Box touched{Narrow(width), Narrow(height), 0, 0};
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const GlyphAtlas::Glyph& g = atlas.At(c);
        const int64_t left = pen * scale_ + g.offsetX;
        const int64_t cellTop = top * scale_ + g.offsetY;
        pen += metrics.At(c).advance;
        const Span xs = ClipSpan(left, width, g.atlasX, coverage.width(), g.width);
        const Span ys = ClipSpan(cellTop, height, 0, coverage.height(), g.height);
        const int64_t n = xs.hi - xs.lo;
        if (n <= 0 || ys.lo >= ys.hi) continue;
        touched.left = std::min(touched.left, Narrow(left + xs.lo));
        touched.right = std::max(touched.right, Narrow(left + xs.hi));
        touched.top = std::min(touched.top, Narrow(cellTop + ys.lo));
        touched.bottom = std::max(touched.bottom, Narrow(cellTop + ys.hi));
        for (int64_t dy = ys.lo; dy < ys.hi; ++dy) {
            const uchar* cov = coverage.constScanLine(static_cast<int>(dy)) + (g.atlasX + xs.lo);
            QRgb* dst = rows.At(left + xs.lo, cellTop + dy);
            for (int64_t i = 0; i < n; ++i) {
                const uint32_t a = cov[i];
                if (a == 0) continue;
                dst[i] = a == 255 ? colour : Blend(colour, dst[i], a);
            }
        }
    }
    Touch(touched);
}

void QtRaster::FillBox(Box box, QRgb colour) {
    box.left = std::max(box.left, 0);
    box.top = std::max(box.top, 0);
    box.right = std::min(box.right, image_.width());
    box.bottom = std::min(box.bottom, image_.height());
    if (box.Empty()) return;
    PixelRows rows(image_);
    for (int32_t y = box.top; y < box.bottom; ++y)
        std::fill(rows.At(box.left, y), rows.At(box.right, y), colour);
    Touch(box);
}

std::array<Box, 4> QtRaster::OutlineEdges(const DrawOp& op) const {
    const int64_t s = scale_;
    // Corners in image pixels, clamped a pixel beyond the image so that the
    // products stay small and an edge outside stays outside.
    const auto edge = [&](int64_t v, int64_t size) {
        return Narrow(std::clamp<int64_t>(v * s, -s, size + s));
    };
    const int64_t w = image_.width(), h = image_.height();
    const int32_t x1 = op.x, y1 = op.y, x2 = op.w, y2 = op.h;
    const int32_t left = edge(std::min(x1, x2), w), right = edge(int64_t{std::max(x1, x2)} + 1, w);
    const int32_t top = edge(std::min(y1, y2), h), bottom = edge(int64_t{std::max(y1, y2)} + 1, h);
    const auto t = static_cast<int32_t>(s);
    std::array<Box, 4> edges{Box{left, top, right, top + t}, Box{left, bottom - t, right, bottom},
                             Box{left, top + t, left + t, bottom - t},
                             Box{right - t, top + t, right, bottom - t}};
    for (Box& b : edges) {
        b.left = std::max(b.left, 0);
        b.top = std::max(b.top, 0);
        b.right = std::min(b.right, image_.width());
        b.bottom = std::min(b.bottom, image_.height());
    }
    return edges;
}

void QtRaster::ExecuteOutline(const DrawOp& op) {
    const QRgb c = ToQRgb(op.colour);
    for (const Box& b : OutlineEdges(op)) FillBox(b, c);
}

Box QtRaster::BlitBox(const DrawOp& op) const {
    if (sheetScaled_.isNull()) return {};
    const int64_t s = scale_;
    const int64_t dx = op.x * s, dy = op.y * s;
    const Span xs = ClipSpan(dx, image_.width(), op.srcX * s, sheetScaled_.width(), op.w * s);
    const Span ys = ClipSpan(dy, image_.height(), op.srcY * s, sheetScaled_.height(), op.h * s);
    if (xs.lo >= xs.hi || ys.lo >= ys.hi) return {};
    return {Narrow(dx + xs.lo), Narrow(dy + ys.lo), Narrow(dx + xs.hi), Narrow(dy + ys.hi)};
}

Box QtRaster::PrintBox(const DrawOp& op, std::string_view text) const {
    const GlyphAtlas& atlas = *op.font->pixels;
    const int64_t width = image_.width(), height = image_.height();
    const int64_t coverageWidth = atlas.Coverage().width(), coverageHeight = atlas.Coverage().height();
    int64_t pen = op.x;
    Box box{Narrow(width), Narrow(height), 0, 0};
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const GlyphAtlas::Glyph& g = atlas.At(c);
        const int64_t left = pen * scale_ + g.offsetX;
        const int64_t cellTop = int64_t{op.y} * scale_ + g.offsetY;
        pen += op.font->metrics->At(c).advance;
        const Span xs = ClipSpan(left, width, g.atlasX, coverageWidth, g.width);
        const Span ys = ClipSpan(cellTop, height, 0, coverageHeight, g.height);
        if (xs.lo >= xs.hi || ys.lo >= ys.hi) continue;
        box.left = std::min(box.left, Narrow(left + xs.lo));
        box.right = std::max(box.right, Narrow(left + xs.hi));
        box.top = std::min(box.top, Narrow(cellTop + ys.lo));
        box.bottom = std::max(box.bottom, Narrow(cellTop + ys.hi));
    }
    return box;
}

void QtRaster::ExecuteBlit(const DrawOp& blit) {
    if (sheetScaled_.isNull()) return;
    const int32_t x = blit.x, y = blit.y, w = blit.w, h = blit.h, srcX = blit.srcX, srcY = blit.srcY;
    const RasterOp op = blit.rop;
    const int64_t s = scale_;
    const int64_t dx = x * s, dy0 = y * s, sx = srcX * s, sy = srcY * s;
    const Span xs = ClipSpan(dx, image_.width(), sx, sheetScaled_.width(), w * s);
    const Span ys = ClipSpan(dy0, image_.height(), sy, sheetScaled_.height(), h * s);
    if (xs.lo >= xs.hi || ys.lo >= ys.hi) return;
    const int64_t n = xs.hi - xs.lo;
    PixelRows dst(image_);
    const PixelRows src(sheetScaled_);
    for (int64_t dy = ys.lo; dy < ys.hi; ++dy) {
        // Row pointers start at the first copied pixel: none points outside its image.
        const QRgb* from = src.At(sx + xs.lo, sy + dy);
        QRgb* to = dst.At(dx + xs.lo, dy0 + dy);
        switch (op) {
            case RasterOp::SRCCOPY:
                std::memcpy(to, from, static_cast<std::size_t>(n) * sizeof(QRgb));
                break;
            case RasterOp::SRCAND:
                for (int64_t i = 0; i < n; ++i) to[i] &= from[i];
                break;
            case RasterOp::SRCPAINT:
                for (int64_t i = 0; i < n; ++i) to[i] |= from[i];
                break;
        }
    }
    Touch({Narrow(dx + xs.lo), Narrow(dy0 + ys.lo), Narrow(dx + xs.hi), Narrow(dy0 + ys.hi)});
}

}  // namespace platform::qt
