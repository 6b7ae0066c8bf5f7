#include "platform/qt/QtPresenter.h"

#include <QRegion>
#include <QWidget>

namespace platform::qt {

int64_t QtPresenter::Present(draw::DamageList& changed, int32_t imageWidth, int32_t imageHeight,
                             int32_t scale) {
    repaintCount_ = 0;
    if (changed.None()) return 0;
    const draw::Box whole{0, 0, imageWidth, imageHeight};
    const std::span<const draw::Box> boxes =
        changed.All() ? std::span<const draw::Box>(&whole, 1) : changed.Boxes();
    int64_t pixels = 0;
    for (const draw::Box& t : boxes) {
        pixels += int64_t{t.right - t.left} * (t.bottom - t.top);
        // The window's own coordinates, widened to whole window pixels.
        const int32_t left = t.left / scale, top = t.top / scale;
        const int32_t right = (t.right + scale - 1) / scale, bottom = (t.bottom + scale - 1) / scale;
        repaint_[static_cast<std::size_t>(repaintCount_++)] = QRect(left, top, right - left, bottom - top);
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
