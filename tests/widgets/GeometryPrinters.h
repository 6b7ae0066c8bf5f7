#pragma once
// Readable points in test failures ("(140, 165)" rather than raw bytes).

#include <QPoint>
#include <ostream>

inline void PrintTo(const QPoint& point, std::ostream* out) {
    *out << "(" << point.x() << ", " << point.y() << ")";
}
