#pragma once
// Readable points and rectangles in test failures ("(140, 165)" rather than
// raw bytes).

#include <QPoint>
#include <QRect>
#include <ostream>

inline void PrintTo(const QPoint& point, std::ostream* out) {
    *out << "(" << point.x() << ", " << point.y() << ")";
}

inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.width() << " x " << rect.height() << " at (" << rect.x() << ", " << rect.y() << ")";
}
