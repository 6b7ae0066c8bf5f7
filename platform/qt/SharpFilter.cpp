#include "platform/qt/SharpFilter.h"

#include <algorithm>
#include <cmath>

namespace platform::qt {

std::vector<SharpFilter::Tap> SharpFilter::Taps(int32_t device, int32_t image, double step) {
    std::vector<Tap> taps(static_cast<std::size_t>(std::max(device, 0)));
    for (int32_t i = 0; i < device; ++i) {
        // The point a device pixel's centre shows, in image pixels from the first one's centre.
        const double at = std::clamp((i + 0.5) * step - 0.5, 0.0, double(image - 1));
        const auto first = std::min(static_cast<int32_t>(at), std::max(image - 2, 0));
        const auto weight = static_cast<uint32_t>(std::lround((at - first) * 256));
        taps[static_cast<std::size_t>(i)] = Tap{first, std::min(weight, 256u)};
    }
    return taps;
}

void SharpFilter::Fit(QSize imageSize, QSize picture, double step) {
    picture_ = picture;
    columns_ = Taps(picture.width(), imageSize.width(), step);
    rows_ = Taps(picture.height(), imageSize.height(), step);
}

void SharpFilter::Smooth(const QImage& image, QRect rect, QImage& out, QPoint at) const {
    rect &= QRect(QPoint(0, 0), picture_) & out.rect().translated(-at);
    if (image.width() < 2 || image.height() < 2) return;
    // Two rows of the image, each mixed across, then the two mixed down:
    // channel by channel in 8.8 fixed point, two channels to a word.
    const auto across = [](QRgb a, QRgb b, uint32_t w, uint32_t mask) {
        return ((a & mask) * (256 - w) + (b & mask) * w) >> 8 & mask;
    };
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const Tap& row = rows_[static_cast<std::size_t>(y)];
        const auto* upper = reinterpret_cast<const QRgb*>(image.constScanLine(row.first));
        const auto* lower = reinterpret_cast<const QRgb*>(image.constScanLine(row.first + 1));
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(y + at.y())) + at.x();
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const Tap& column = columns_[static_cast<std::size_t>(x)];
            const auto i = static_cast<std::size_t>(column.first);
            uint32_t mixed = 0xff000000;
            for (const uint32_t mask : {0x00ff00ffu, 0x0000ff00u}) {
                const uint32_t top = across(upper[i], upper[i + 1], column.weight, mask);
                const uint32_t bottom = across(lower[i], lower[i + 1], column.weight, mask);
                mixed |= (top * (256 - row.weight) + bottom * row.weight) >> 8 & mask;
            }
            to[x] = mixed;
        }
    }
}

QImage SharpFilter::Smoothed(const QImage& image) const {
    QImage out(picture_, QImage::Format_RGB32);
    Smooth(image, out.rect(), out);
    return out;
}

}  // namespace platform::qt
