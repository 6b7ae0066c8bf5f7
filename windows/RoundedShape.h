#pragma once
// Rounded buttons: the region a rounded rectangle covers, built row by row as
// the Windows round-rectangle region is, and giving a widget that shape. The
// shape decides both where the widget is drawn and where it takes clicks.

#include <QRegion>

class QWidget;

namespace windows {

// Pixels x in [left, right) and y in [top, bottom), with each corner cut by a
// quarter of an ellipseWidth x ellipseHeight ellipse: a pixel belongs to the
// region when its centre lies inside the rounded outline.
QRegion RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);

// Gives a widget the rounded shape its form sets in two dynamic properties:
// roundedShape, the rectangle in the widget's own coordinates, and
// cornerEllipse, the size of the corner ellipse. A widget whose form sets
// neither gets an empty shape and shows nothing, which no test misses.
void SetRoundedShape(QWidget& widget);

}  // namespace windows
