// Start window background. The buttons (y 128-169) and the high-score boxes
// (x 48-265, y 192-307) are controls placed over it, so those areas stay plain.

#include "ArtKit.h"
#include "Logo.h"
#include "Pictures.h"
#include "windows/PictureText.h"

#include <QLinearGradient>

namespace art {

namespace {

void HighScoresHeading(QPainter& p) {
    TextInBox(p, QString::fromLatin1(windows::picture_text::kHighScores), Font(kSans, 11, true),
              QRect(84, 176, 70, 10), Qt::white);
    p.fillRect(QRect(84, 186, 157, 1), Qt::white);
}

void Credits(QPainter& p) {
    p.setPen(QColor(40, 60, 150));
    p.drawLine(40, 330, 280, 330);
    TextLines(p, QStringLiteral("Game, code and artwork by the Tilebash team"), Font(kSans, 10, false),
              QRect(0, 332, 320, 14), Qt::AlignCenter, QColor(170, 190, 235));
    PaintMakerLogo(p, QRectF(113, 347, 94, 32));
    TextLines(p, QStringLiteral("made by the Tilebash project"), Font(kSans, 10, false, true),
              QRect(0, 381, 320, 13), Qt::AlignCenter, QColor(120, 145, 210));
}

}  // namespace

QImage PaintSplash() {
    QImage img = Canvas(320, 400, QColor(6, 10, 52));
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    DarkPage(p, img.rect());
    PaintTitleLogo(p, QRectF(58, 15, 203, 107), false);
    HighScoresHeading(p);
    TextInBox(p, QString::fromLatin1(windows::picture_text::kVersion), Font(kSans, 11, true),
              QRect(125, 316, 40, 8), Qt::white);
    Credits(p);
    return img;
}

}  // namespace art
