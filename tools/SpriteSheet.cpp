#include "SpriteSheet.h"

#include "ArtKit.h"
#include "Specials.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdlib>

namespace art {

namespace {

QRect Rect(const game::SheetRect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

const QRect kPaddleMask = Rect(game::kPaddleMask);
const QRect kPaddleImage = Rect(game::kPaddleSprite);
const QRect kBallMask = Rect(game::kBallMask);
const QRect kBallImage = Rect(game::kBallSprite);
const QRect kSpecialMask = Rect(game::kSpecialMask);

QRect BrickRect(const game::BrickLook& look) {
    return QRect(game::kBrickSpriteX, look.spriteY, game::kBrickWidth, game::kBrickHeight);
}

// Each brick's colour, by the points written across it.
QColor BrickColour(int points) {
    switch (points) {
        case 100:
            return QColor(95, 80, 225);  // violet-blue
        case 200:
            return QColor(0, 150, 155);  // teal
        case 300:
            return QColor(35, 165, 55);  // green
        default:
            return QColor(150, 195, 20);  // yellow-green, 500
    }
}

QPoint SpecialAt(int kind) {
    const game::SpecialLook& look = game::kSpecialLooks[kind];
    return QPoint(look.spriteX, look.spriteY);
}

void PaintPaddleMask(QImage& sheet) {
    const QRect r = kPaddleMask;
    const auto& notches = game::kPaddleMaskNotches;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) {
            const int row = y - (r.height() - static_cast<int>(notches.size()));
            const bool notch = row >= 0 && (x < notches[row] || x >= r.width() - notches[row]);
            sheet.setPixel(r.x() + x, r.y() + y, notch ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
}

// Dark arrowhead, tip at (tipX, 7) of the paddle, pointing left (dir -1) or right (+1).
void PaddleArrow(QImage& sheet, int tipX, int dir) {
    const QRgb dark = qRgb(28, 18, 90);
    for (int k = -3; k <= 3; ++k) {
        const int row = 7 + k;
        const int from = std::abs(k);
        for (int i = from; i <= 4; ++i)
            sheet.setPixel(kPaddleImage.x() + tipX - dir * i, kPaddleImage.y() + row, dark);
    }
}

void PaintPaddleImage(QImage& sheet) {
    const QRect r = kPaddleImage;
    const QColor base(115, 95, 235);  // blue-violet
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) sheet.setPixel(r.x() + x, r.y() + y, qRgb(0, 0, 0));
    for (int row = 1; row <= 13; ++row) {
        const int left = 1 + row, right = r.width() - 2 - row;  // 76 wide at row 1, 52 at row 13
        QColor c;
        if (row == 1)
            c = QColor(215, 210, 255);
        else if (row <= 3)
            c = Mix(QColor(175, 165, 255), base, (row - 2) / 2.0);
        else
            c = Mix(base, QColor(45, 30, 150), (row - 4) / 9.0);
        for (int x = left; x <= right; ++x) {
            // Slight darkening towards the ends rounds the bar off.
            const double t = std::fabs((x - 39.5) / 38.0);
            QColor px = Mix(c, QColor(30, 20, 100), std::pow(t, 6.0) * 0.8);
            if (x == left || x == right) px = Mix(px, QColor(25, 15, 90), 0.5);
            sheet.setPixel(r.x() + x, r.y() + row, px.rgb());
        }
    }
    PaddleArrow(sheet, 17, -1);
    PaddleArrow(sheet, 62, +1);
}

void PaintBrick(QImage& sheet, const game::BrickLook& look) {
    const QRect r = BrickRect(look);
    const QColor colour = BrickColour(look.points);
    QPainter p(&sheet);
    p.fillRect(r, Qt::black);
    const QRect bar = r.adjusted(1, 1, -1, -1);
    QLinearGradient g(bar.topLeft(), bar.bottomLeft());
    g.setColorAt(0.0, colour.lighter(150));
    g.setColorAt(0.18, colour.lighter(112));
    g.setColorAt(0.6, colour);
    g.setColorAt(1.0, colour.darker(145));
    p.fillRect(bar, g);
    // Bevel: light top and left, dark bottom and right, inside the black edge.
    p.setPen(colour.lighter(175));
    p.drawLine(bar.left(), bar.top(), bar.right() - 1, bar.top());
    p.drawLine(bar.left(), bar.top(), bar.left(), bar.bottom() - 1);
    p.setPen(colour.darker(200));
    p.drawLine(bar.left(), bar.bottom(), bar.right(), bar.bottom());
    p.drawLine(bar.right(), bar.top(), bar.right(), bar.bottom());

    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QString text = QString::number(look.points);
    QFont font = Font(kSans, 17, true);
    font.setStretch(112);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    path.translate(bar.left() + (bar.width() - ink.width()) / 2.0 - ink.left(),
                   bar.top() + (bar.height() - ink.height()) / 2.0 - ink.top());
    p.setPen(Qt::NoPen);
    p.setBrush(colour.darker(260));
    p.drawPath(path.translated(1.0, 1.0));
    p.setBrush(QColor(252, 250, 232));
    p.drawPath(path);
}

// The disc that fills the ball's square: pixel centres within its radius.
bool BallSolid(int x, int y) {
    const double radius = kBallImage.width() / 2.0;
    const double dx = x + 0.5 - radius, dy = y + 0.5 - radius;
    return dx * dx + dy * dy <= radius * radius;
}

void PaintBall(QImage& sheet) {
    QImage ball(kBallImage.size(), QImage::Format_RGB32);
    {
        QPainter p(&ball);
        QRadialGradient g(QPointF(7.5, 7.5), 8.2, QPointF(4.6, 4.4));
        g.setColorAt(0.0, QColor(240, 248, 255));
        g.setColorAt(0.16, QColor(150, 200, 255));
        g.setColorAt(0.5, QColor(40, 95, 225));
        g.setColorAt(0.85, QColor(15, 35, 130));
        g.setColorAt(1.0, QColor(5, 10, 60));
        p.fillRect(ball.rect(), g);
    }
    for (int y = 0; y < ball.height(); ++y)
        for (int x = 0; x < ball.width(); ++x) {
            const bool solid = BallSolid(x, y);
            sheet.setPixel(kBallMask.x() + x, kBallMask.y() + y,
                           solid ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            sheet.setPixel(kBallImage.x() + x, kBallImage.y() + y,
                           solid ? ball.pixel(x, y) : qRgb(0, 0, 0));
        }
}

void PaintSpecials(QImage& sheet) {
    for (int y = 0; y < kSpecialSize; ++y)
        for (int x = 0; x < kSpecialSize; ++x)
            sheet.setPixel(kSpecialMask.x() + x, kSpecialMask.y() + y,
                           SpecialSeeThrough(x, y) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    for (int kind = game::extraLife; kind <= game::strobeBall; ++kind) {
        const QImage img = SpecialImage(static_cast<game::SpecialKind>(kind));
        const QPoint at = SpecialAt(kind);
        for (int y = 0; y < kSpecialSize; ++y)
            for (int x = 0; x < kSpecialSize; ++x) sheet.setPixel(at.x() + x, at.y() + y, img.pixel(x, y));
    }
}

// The game draws masked things with AND then OR, so a mask may hold only pure
// black and white, and an image must be pure black wherever its mask is white.
void EnforceMask(QImage& sheet, QRect mask, QPoint image) {
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) {
            const bool seeThrough = qGray(sheet.pixel(mask.x() + x, mask.y() + y)) >= 128;
            sheet.setPixel(mask.x() + x, mask.y() + y, seeThrough ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
            if (seeThrough) sheet.setPixel(image.x() + x, image.y() + y, qRgb(0, 0, 0));
        }
}

// Pure white is the sheet's unused colour; a brick never holds it.
void KeepBrickOffWhite(QImage& sheet, const QRect& brick) {
    for (int y = brick.top(); y <= brick.bottom(); ++y)
        for (int x = brick.left(); x <= brick.right(); ++x)
            if (sheet.pixel(x, y) == qRgb(255, 255, 255)) sheet.setPixel(x, y, qRgb(250, 250, 250));
}

}  // namespace

QImage PaintSpriteSheet() {
    QImage sheet = Canvas(game::kSheetWidth, game::kSheetHeight, Qt::white);
    PaintPaddleMask(sheet);
    PaintPaddleImage(sheet);
    for (const game::BrickLook& look : game::kBrickLooks) {
        PaintBrick(sheet, look);
        KeepBrickOffWhite(sheet, BrickRect(look));
    }
    PaintBall(sheet);
    PaintSpecials(sheet);

    EnforceMask(sheet, kPaddleMask, kPaddleImage.topLeft());
    EnforceMask(sheet, kBallMask, kBallImage.topLeft());
    for (int kind = game::extraLife; kind <= game::strobeBall; ++kind)
        EnforceMask(sheet, kSpecialMask, SpecialAt(kind));
    return sheet;
}

}  // namespace art
