#pragma once
// The game's emblems: the title logo, the ringed ball it shares with the icon,
// and the small maker's badge of the credits.

#include <QPainter>
#include <QRectF>

namespace art {

// Title logo scaled into box (designed at 200 x 106). Compact drops the tag
// line, which would not read at small sizes.
void PaintTitleLogo(QPainter& p, const QRectF& box, bool compact);

// Blue ball circled by a tilted golden ring, with glints when sparkling.
void PaintRingedBall(QPainter& p, QPointF centre, double radius, bool sparkling);

// Maker's badge scaled into box (designed at 94 x 36).
void PaintMakerLogo(QPainter& p, const QRectF& box);

}  // namespace art
