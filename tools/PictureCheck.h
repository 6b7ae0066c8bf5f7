#pragma once
// Compares a picture with the one it should equal, pixel by pixel, allowing a
// few levels where a processor or a library may round differently. Shared by
// the artwork check (paint_artwork --check) and the golden frames test.

#include <QImage>
#include <QPoint>
#include <QString>

#include <functional>

namespace art {

struct PictureDifference {
    bool sameSize = true;
    int differing = 0;  // pixels with any channel off at all
    int beyond = 0;     // pixels with a channel off by more than their tolerance
    int largest = 0;    // the largest difference of one channel, in levels of 255
    QPoint worst;       // a pixel where that largest difference is
    // Red beyond the tolerance, yellow within it, the expected picture dimmed elsewhere.
    QImage picture;

    bool Passes() const { return sameSize && beyond == 0; }
    // "same", or how many pixels differ, by how much, against what was allowed.
    QString Summary() const;
};

// Channels (alpha too) are compared premultiplied, as the picture shows over any
// background: a nearly transparent edge pixel, whose stored colour a rounding of
// its alpha can swing widely, counts by what it adds to the screen.
// toleranceAt(x, y) is the number of levels each channel of that pixel may be off.
PictureDifference ComparePictures(const QImage& actual, const QImage& expected,
                                  const std::function<int(int x, int y)>& toleranceAt);
PictureDifference ComparePictures(const QImage& actual, const QImage& expected, int tolerance);

}  // namespace art
