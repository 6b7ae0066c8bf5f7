#pragma once
// Row access to a 32-bit image's pixel words without QImage's per-call
// detach check: the pointer is taken once per operation.

#include <QImage>
#include <cstdint>

namespace platform::qt {

class PixelRows {
public:
    explicit PixelRows(QImage& image)
        : base_(reinterpret_cast<QRgb*>(image.bits())), stride_(image.bytesPerLine() / 4) {}
    explicit PixelRows(const QImage& image)
        : base_(const_cast<QRgb*>(reinterpret_cast<const QRgb*>(image.constBits()))),
          stride_(image.bytesPerLine() / 4) {}
    QRgb* At(int64_t x, int64_t y) const { return base_ + y * stride_ + x; }

private:
    QRgb* base_;
    int64_t stride_;
};

}  // namespace platform::qt
