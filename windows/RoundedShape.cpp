#include "windows/RoundedShape.h"

#include <QRect>
#include <QSize>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace windows {

QRegion RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
    if (right <= left || bottom <= top) {
        return {};
    }
    const double rx = std::min(ellipseWidth, right - left) / 2.0;
    const double ry = std::min(ellipseHeight, bottom - top) / 2.0;
    std::vector<QRect> rows;
    rows.reserve(static_cast<std::size_t>(bottom - top));
    for (int y = top; y < bottom; ++y) {
        const double centreY = y + 0.5;
        // How far the row's centre reaches into the top or bottom corner arcs.
        double depth = 0.0;
        if (centreY < top + ry) {
            depth = top + ry - centreY;
        } else if (centreY > bottom - ry) {
            depth = centreY - (bottom - ry);
        }
        int first = left;
        int last = right - 1;
        if (depth > 0.0 && ry > 0.0) {
            const double ratio = depth / ry;
            const double half = rx * std::sqrt(std::max(0.0, 1.0 - ratio * ratio));
            first = static_cast<int>(std::ceil(left + rx - half - 0.5));
            last = static_cast<int>(std::floor(right - rx + half - 0.5));
        }
        if (last >= first) {
            rows.emplace_back(first, y, last - first + 1, 1);
        }
    }
    QRegion region;
    region.setRects(rows.data(), static_cast<int>(rows.size()));
    return region;
}

void SetRoundedShape(QWidget& widget) {
    const QRect shape = widget.property("roundedShape").toRect();
    const QSize corner = widget.property("cornerEllipse").toSize();
    widget.setMask(RoundRectRegion(shape.left(), shape.top(), shape.left() + shape.width(),
                                   shape.top() + shape.height(), corner.width(), corner.height()));
}

}  // namespace windows
