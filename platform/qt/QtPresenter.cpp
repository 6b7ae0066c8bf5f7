#include "platform/qt/QtPresenter.h"

#include <QRegion>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace platform::qt {
namespace {
// A whole-number scale that leaves more of the limiting side unused than this
// gives way to the sharp fit (a 1366 x 768 screen shows the field at 1x on 55 %
// of its height; 1920 x 1080 at 2x on 78 %).
constexpr double kSharpUnused = 0.25;
}  // namespace

QRect Placement::WindowRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    // Exact for whole ratios; for others a box that lands on a whole unit stays there.
    const auto low = [this](double start, int32_t v) {
        return static_cast<int>(std::floor(start + v / imagePixelsPerUnit));
    };
    const auto high = [this](double start, int32_t v) {
        return static_cast<int>(std::ceil(start + v / imagePixelsPerUnit));
    };
    const int l = low(origin.x(), left), t = low(origin.y(), top);
    return QRect(l, t, high(origin.x(), right) - l, high(origin.y(), bottom) - t);
}

Placement::Fit Placement::FitField(QSize window, QSize field, double devicePixelRatio, int32_t maxScale,
                                   bool sharp) {
    Fit fit;
    if (window == field || window.isEmpty()) {
        // A ratio a hair under a whole number is that number.
        fit.scale = std::clamp(static_cast<int32_t>(std::floor(devicePixelRatio + 0.01)), 1, maxScale);
        fit.placement.imagePixelsPerUnit = fit.scale;
        return fit;
    }
    const double r = devicePixelRatio;
    const auto deviceW = static_cast<int32_t>(std::lround(window.width() * r));
    const auto deviceH = static_cast<int32_t>(std::lround(window.height() * r));
    fit.scale = std::clamp(std::min(deviceW / field.width(), deviceH / field.height()), 1, maxScale);
    // The size that fits exactly, in device pixels per field pixel.
    const double exact = std::min(double(deviceW) / field.width(), double(deviceH) / field.height());
    if (sharp && fit.scale < maxScale && fit.scale < exact && 1.0 - fit.scale / exact > kSharpUnused) {
        fit.scale += 1;
        fit.placement.smooth = true;
        fit.placement.imagePixelsPerUnit = r * fit.scale / exact;
        // Whole device pixels (the limiting side's all of them), on a whole device pixel.
        const auto cover = [exact](int32_t side) {
            return static_cast<int>(std::floor(side * exact + 1e-6));
        };
        fit.picture = QSize(cover(field.width()), cover(field.height()));
        fit.placement.origin =
            QPointF((deviceW - fit.picture.width()) / 2 / r, (deviceH - fit.picture.height()) / 2 / r);
        return fit;
    }
    // Centred on a whole window unit where the ratio is whole, so the image's
    // pixels meet the window's device pixels one to one.
    const auto centre = [r](int32_t device, int32_t image) {
        double units = std::max(0.0, std::floor((device - image) / 2 / r));
        // At a ratio such as 1.25, only some units start on a device pixel.
        for (int step = 0; step < 8 && units > 0; ++step, units -= 1) {
            if (std::abs(units * r - std::round(units * r)) < 1e-9) break;
        }
        return units;
    };
    fit.placement.origin =
        QPointF(centre(deviceW, field.width() * fit.scale), centre(deviceH, field.height() * fit.scale));
    fit.placement.imagePixelsPerUnit = r;
    return fit;
}

int64_t QtPresenter::Present(draw::DamageList& changed, int32_t imageWidth, int32_t imageHeight,
                             const Placement& placement) {
    repaintCount_ = 0;
    if (changed.None()) return 0;
    const draw::Box whole{0, 0, imageWidth, imageHeight};
    const std::span<const draw::Box> boxes =
        changed.All() ? std::span<const draw::Box>(&whole, 1) : changed.Boxes();
    int64_t pixels = 0;
    for (const draw::Box& t : boxes) {
        pixels += int64_t{t.right - t.left} * (t.bottom - t.top);
        repaint_[static_cast<std::size_t>(repaintCount_++)] =
            placement.WindowRect(t.left, t.top, t.right, t.bottom);
    }
    changed.Clear();
    if (owner_ != nullptr) {
        QRegion region;
        for (int i = 0; i < repaintCount_; ++i) region += repaint_[static_cast<std::size_t>(i)];
        owner_->repaint(region);
    }
    return pixels;
}

}  // namespace platform::qt
