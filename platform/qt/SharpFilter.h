#pragma once
// The sharp fit's last step: the play-field image, made at a whole-number
// scale, smoothed down to the screen. Each screen pixel mixes the four image
// pixels around the point it shows (bilinear), with weights in 256ths from
// tables made once per fit, so a pixel comes out the same whichever repaint
// computes it, and a repaint costs in proportion to its size. Nothing is
// allocated but in Fit.

#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

namespace platform::qt {

class SharpFilter {
public:
    // An image of imageSize shown smoothed on picture (device pixels), step
    // image pixels to a device pixel.
    void Fit(QSize imageSize, QSize picture, double step);
    QSize Picture() const { return picture_; }

    // The smoothed pixels of rect (device pixels of the picture, clipped to
    // it) from image, written into out (32-bit) at the same place moved by at.
    void Smooth(const QImage& image, QRect rect, QImage& out, QPoint at = {}) const;
    // The whole picture, as Smooth makes it piece by piece.
    QImage Smoothed(const QImage& image) const;

private:
    struct Tap {
        int32_t first;    // the image pixel before the point shown
        uint32_t weight;  // of the one after it, in 256ths
    };
    static std::vector<Tap> Taps(int32_t device, int32_t image, double step);

    QSize picture_;
    std::vector<Tap> columns_;
    std::vector<Tap> rows_;
};

}  // namespace platform::qt
