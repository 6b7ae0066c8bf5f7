#pragma once
// Shows the changed parts of the play-field image in its window: the boxes
// noted as changed become window rectangles (widened to whole window pixels
// at a scale), and the window repaints just that region, synchronously, from
// the image.

#include <QRect>
#include <array>
#include <cstdint>
#include <span>

#include "platform/draw/DamageList.h"

class QWidget;

namespace platform::qt {

class QtPresenter {
public:
    // owner, if given, is the window repainted.
    explicit QtPresenter(QWidget* owner) : owner_(owner) {}

    // Repaints wherever changed says the image of that size and scale may
    // differ from the screen, then clears changed. Returns the number of
    // image pixels repainted.
    int64_t Present(draw::DamageList& changed, int32_t imageWidth, int32_t imageHeight, int32_t scale);
    // The window rectangles the last Present repainted.
    std::span<const QRect> LastRepaint() const {
        return {repaint_.data(), static_cast<std::size_t>(repaintCount_)};
    }

private:
    QWidget* owner_;
    std::array<QRect, draw::DamageList::kCapacity> repaint_{};
    int repaintCount_ = 0;
};

}  // namespace platform::qt
