#pragma once
// Shows the changed parts of the play-field image in its window: the boxes
// noted as changed become window rectangles (widened to whole window units
// where the image is shown), and the window repaints just that region,
// synchronously, from the image.

#include <QPointF>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <span>

#include "platform/draw/DamageList.h"

class QWidget;

namespace platform::qt {

// Where the image is shown in its window: the window coordinates of its
// top-left corner, how many image pixels make one window unit, and whether it
// is smoothed down to that size (the sharp fit) rather than shown pixel for
// pixel or to the nearest pixel.
struct Placement {
    QPointF origin;
    double imagePixelsPerUnit = 1;
    // Smoothed down (never up), a screen pixel mixes the image pixels within
    // half an image pixel, less than half a screen pixel, of the point it
    // shows: a changed box's rectangle, rounded out to whole units, already
    // holds every screen pixel the change reaches, so it needs no margin.
    bool smooth = false;

    // The window rectangle that shows image pixels [left, right) x [top, bottom),
    // widened to whole units.
    QRect WindowRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const;

    // The play field's image in a window of that size (window units) and device
    // pixel ratio. At the field's own size it fills the window at the ratio's
    // whole part, the rest scaled by the toolkit, as the window has always been
    // shown. Any other size (full screen) shows it at the largest whole number
    // of device pixels per field pixel that fits, up to maxScale, centred, one
    // image pixel to a device pixel; unless that leaves more than a quarter of
    // the limiting side unused and sharp is allowed: then the image is made at
    // the next whole number above and smoothed down to the largest size that
    // fits with the field's proportions, so each pixel's edge is soft over at
    // most one screen pixel while the field fills the screen.
    struct Fit;
    static Fit FitField(QSize window, QSize field, double devicePixelRatio, int32_t maxScale,
                        bool sharp = false);
};

struct Placement::Fit {
    int32_t scale = 1;  // image pixels per field pixel
    Placement placement;
    QSize picture;  // sharp fit: the device pixels the smoothed image covers
};

class QtPresenter {
public:
    // owner, if given, is the window repainted.
    explicit QtPresenter(QWidget* owner) : owner_(owner) {}

    // Repaints wherever changed says the image of that size, shown at
    // placement, may differ from the screen, then clears changed. Returns the
    // number of image pixels repainted.
    int64_t Present(draw::DamageList& changed, int32_t imageWidth, int32_t imageHeight,
                    const Placement& placement);
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
