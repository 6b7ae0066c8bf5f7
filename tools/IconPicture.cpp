// Program icon: the title logo's ringed ball with its glints, on transparency.
// The three window sizes keep the plain design; the larger theme sizes are
// painted on the same 32-unit grid and gain the detail they have room for.

#include "ArtKit.h"
#include "Logo.h"
#include "Pictures.h"

#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace art {

namespace {

// A soft oval shadow under the ball, so it stands off a light dock.
void Shadow(QPainter& p, QPointF centre, double rx, double ry) {
    QRadialGradient g(QPointF(0, 0), 1.0);
    g.setColorAt(0.0, QColor(0, 8, 40, 110));
    g.setColorAt(0.6, QColor(0, 8, 40, 45));
    g.setColorAt(1.0, QColor(0, 8, 40, 0));
    p.save();
    p.translate(centre);
    p.scale(rx, ry);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), 1.0, 1.0);
    p.restore();
}

// The logo's trail of fading dots, the way the ball came.
void Trail(QPainter& p) {
    const std::array<QPointF, 3> dots{QPointF(3.2, 29.0), QPointF(5.6, 27.0), QPointF(8.4, 24.8)};
    for (int i = 0; i < 3; ++i) {
        const double r = 0.55 + 0.3 * i;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 205, 255, 90 + 50 * i));
        p.drawEllipse(dots[i], r, r);
    }
}

// Light thrown back from the ring onto the sphere's lower right, which gives
// the large sizes their roundness.
void ReflectedLight(QPainter& p, QPointF c, double r) {
    p.save();
    QPainterPath sphere;
    sphere.addEllipse(c, r, r);
    // Keep off the ring's near half, which crosses the sphere in front of it
    // (the ring's shape as PaintRingedBall draws it, with a little to spare).
    QPainterPath nearHalf;
    const QRectF ring(-r * 1.62, -r * 0.5, 2 * r * 1.62, 2 * r * 0.5);
    nearHalf.arcMoveTo(ring, 180);
    nearHalf.arcTo(ring, 180, 180);
    QPainterPathStroker band;
    band.setWidth(r * 0.26 + r * 0.12 + 0.6);
    band.setCapStyle(Qt::FlatCap);
    QTransform toSphere;
    toSphere.translate(c.x(), c.y());
    toSphere.rotate(-20);
    p.setClipPath(sphere.subtracted(toSphere.map(band.createStroke(nearHalf))));
    const QPointF spot(c.x() + r * 0.62, c.y() + r * 0.55);
    QRadialGradient g(spot, r * 0.75);
    g.setColorAt(0.0, QColor(90, 160, 255, 120));
    g.setColorAt(1.0, QColor(90, 160, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(spot, r * 0.75, r * 0.75);
    p.restore();
}

void PaintDetailed(QPainter& p, bool finest) {
    // A little inside the grid's edge: theme icons keep a margin.
    const QPointF centre(16.0, 16.2);
    const double radius = 8.8;
    Shadow(p, QPointF(centre.x() + 0.6, 28.6), 10.5, 1.8);
    if (finest) Trail(p);
    PaintRingedBall(p, centre, radius, true);
    ReflectedLight(p, centre, radius);
    if (finest) {
        // Far-off twinkles that only read once there are pixels enough for them.
        Sparkle(p, QPointF(27.6, 24.6), 1.7, QColor(220, 240, 255));
        Sparkle(p, QPointF(4.4, 11.6), 1.2, QColor(255, 240, 200));
    }
}

}  // namespace

QImage PaintIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(size / 32.0, size / 32.0);
        // At 16 pixels the small glints turn to noise; a fuller ball reads better.
        if (size <= 16)
            PaintRingedBall(p, QPointF(15.0, 17.0), 10.0, false);
        else if (size <= 32)
            PaintRingedBall(p, QPointF(15.5, 17.0), 9.2, true);
        else
            PaintDetailed(p, size >= 128);
    }
    if (size <= 16) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        Sparkle(p, QPointF(12.4, 3.6), 3.4, QColor(255, 255, 255));
    }
    return img.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace art
