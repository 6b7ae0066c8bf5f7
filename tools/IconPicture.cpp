// Program icon: the title logo's ringed ball with its glints, on transparency.

#include "ArtKit.h"
#include "Logo.h"
#include "Pictures.h"

namespace art {

QImage PaintIcon(int size)
{
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 32.0, size / 32.0);
    // At 16 pixels the small glints turn to noise; a fuller ball reads better.
    if (size <= 16) PaintRingedBall(p, QPointF(15.0, 17.0), 10.0, false);
    else PaintRingedBall(p, QPointF(15.5, 17.0), 9.2, true);
  }
  if (size <= 16) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    Sparkle(p, QPointF(12.4, 3.6), 3.4, QColor(255, 255, 255));
  }
  return img.convertToFormat(QImage::Format_ARGB32);
}

} // namespace art
