#include "PictureCheck.h"

#include <algorithm>
#include <cstdlib>

namespace art {

QString PictureDifference::Summary() const {
    if (!sameSize) return QStringLiteral("the sizes differ");
    if (differing == 0) return QStringLiteral("same pixels");
    return QStringLiteral(
               "%1 pixels differ, %2 beyond the tolerance; largest difference %3 levels at (%4, %5)")
        .arg(differing)
        .arg(beyond)
        .arg(largest)
        .arg(worst.x())
        .arg(worst.y());
}

PictureDifference ComparePictures(const QImage& actual, const QImage& expected,
                                  const std::function<int(int x, int y)>& toleranceAt) {
    PictureDifference d;
    if (actual.size() != expected.size()) {
        d.sameSize = false;
        return d;
    }
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    d.picture = QImage(e.size(), QImage::Format_RGB32);
    for (int y = 0; y < e.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineE = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = 0; x < e.width(); ++x) {
            const QRgb pa = lineA[x], pe = lineE[x];
            const int off = std::max({std::abs(qRed(pa) - qRed(pe)), std::abs(qGreen(pa) - qGreen(pe)),
                                      std::abs(qBlue(pa) - qBlue(pe)), std::abs(qAlpha(pa) - qAlpha(pe))});
            QRgb shown = qRgb(qGray(pe) / 3, qGray(pe) / 3, qGray(pe) / 3);
            if (off > 0) {
                ++d.differing;
                if (off > d.largest) {
                    d.largest = off;
                    d.worst = QPoint(x, y);
                }
                const bool beyond = off > toleranceAt(x, y);
                d.beyond += beyond ? 1 : 0;
                shown = beyond ? qRgb(255, 0, 0) : qRgb(255, 230, 0);
            }
            d.picture.setPixel(x, y, shown);
        }
    }
    return d;
}

PictureDifference ComparePictures(const QImage& actual, const QImage& expected, int tolerance) {
    return ComparePictures(actual, expected, [tolerance](int, int) { return tolerance; });
}

}  // namespace art
