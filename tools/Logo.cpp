#include "Logo.h"

#include "ArtKit.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace art {

namespace {

constexpr double kLogoWidth = 200.0;
constexpr double kLogoHeight = 106.0;

// Text as a path fitted into target (uniformly scaled, centred).
QPainterPath FittedText(const QString& text, const QFont& font, const QRectF& target, bool stretchToWidth) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    double sx = target.width() / ink.width();
    double sy = target.height() / ink.height();
    if (!stretchToWidth) sx = sy = std::min(sx, sy);
    QTransform t;
    t.translate(target.center().x(), target.center().y());
    t.scale(sx, sy);
    t.translate(-ink.center().x(), -ink.center().y());
    return t.map(path);
}

void BrickRow(QPainter& p) {
    const std::array<QColor, 5> colours{QColor(95, 80, 225), QColor(0, 150, 155), QColor(35, 165, 55),
                                        QColor(150, 195, 20), QColor(95, 80, 225)};
    for (int i = 0; i < 5; ++i) {
        if (i == 4) continue;  // one brick already knocked out
        const QRectF r(6 + i * 27.0, 6, 24, 11);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0.0, colours[i].lighter(160));
        g.setColorAt(0.45, colours[i]);
        g.setColorAt(1.0, colours[i].darker(150));
        p.setPen(QPen(QColor(5, 8, 30), 1.2));
        p.setBrush(g);
        p.drawRoundedRect(r, 1.5, 1.5);
    }
}

void LogoWord(QPainter& p, const QRectF& target) {
    QFont font = Font(kSans, 80, true, true);
    font.setLetterSpacing(QFont::PercentageSpacing, 96);
    const QPainterPath word = FittedText(QStringLiteral("Tilebash"), font, target, true);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 10, 150));
    p.drawPath(word.translated(2.5, 3.0));

    p.setPen(QPen(QColor(8, 12, 55), 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(word);

    QLinearGradient fill(0, target.top(), 0, target.bottom());
    fill.setColorAt(0.0, QColor(255, 250, 190));
    fill.setColorAt(0.42, QColor(255, 200, 45));
    fill.setColorAt(0.58, QColor(248, 150, 20));
    fill.setColorAt(1.0, QColor(210, 70, 10));
    p.setPen(QPen(QColor(255, 245, 200), 0.9));
    p.setBrush(fill);
    p.drawPath(word);

    // Glossy band over the upper part of the letters.
    p.save();
    p.setClipPath(word);
    QLinearGradient gloss(0, target.top(), 0, target.top() + target.height() * 0.5);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 150));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(target.left() - 5, target.top() - 5, target.width() + 10, target.height() * 0.5 + 5),
               gloss);
    p.restore();
}

void TagLine(QPainter& p) {
    QFont font = Font(kSans, 10, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2.2);
    const QPainterPath tag =
        FittedText(QStringLiteral("BRICK BREAKER"), font, QRectF(52, 92, 96, 9), false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 210, 255));
    p.drawPath(tag);
    p.setPen(QPen(QColor(150, 210, 255, 200), 1.2));
    p.drawLine(QPointF(14, 96.5), QPointF(44, 96.5));
    p.drawLine(QPointF(156, 96.5), QPointF(186, 96.5));
}

}  // namespace

void PaintRingedBall(QPainter& p, QPointF c, double r, bool sparkling) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const double rx = r * 1.62, ry = r * 0.5, penWidth = std::max(1.3, r * 0.26);
    QLinearGradient gold(-rx, 0, rx, 0);
    gold.setColorAt(0.0, QColor(200, 120, 10));
    gold.setColorAt(0.35, QColor(255, 235, 130));
    gold.setColorAt(0.7, QColor(250, 190, 40));
    gold.setColorAt(1.0, QColor(180, 95, 5));
    const QRectF ring(-rx, -ry, 2 * rx, 2 * ry);
    const auto drawRing = [&](int startDeg, int spanDeg) {
        p.save();
        p.translate(c);
        p.rotate(-20);
        p.setBrush(Qt::NoBrush);
        p.setPen(
            QPen(QColor(40, 20, 0, 200), penWidth + std::max(1.0, r * 0.12), Qt::SolidLine, Qt::FlatCap));
        p.drawArc(ring, startDeg * 16, spanDeg * 16);
        p.setPen(QPen(QBrush(gold), penWidth, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(ring, startDeg * 16, spanDeg * 16);
        p.restore();
    };
    drawRing(0, 180);  // the far half, behind the ball
    BlueSphere(p, c, r);
    drawRing(180, 180);  // the near half, in front
    if (sparkling) {
        Sparkle(p, QPointF(c.x() + r * 1.05, c.y() - r * 1.05), r * 0.62, QColor(255, 255, 255));
        Sparkle(p, QPointF(c.x() - r * 1.25, c.y() - r * 0.75), r * 0.32, QColor(220, 240, 255));
        Sparkle(p, QPointF(c.x() - r * 0.38, c.y() - r * 0.4), r * 0.3, QColor(255, 255, 255));
    }
    p.restore();
}

void PaintTitleLogo(QPainter& p, const QRectF& box, bool compact) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(box.topLeft());
    p.scale(box.width() / kLogoWidth, box.height() / kLogoHeight);
    BrickRow(p);
    // A faint trail from the knocked-out brick to the ball.
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 200, 255, 60 + 45 * i));
        p.drawEllipse(QPointF(120 + 9.0 * i, 13.0 - 0.8 * i), 1.2 + 0.5 * i, 1.2 + 0.5 * i);
    }
    LogoWord(p, compact ? QRectF(4, 29, 192, 68) : QRectF(4, 27, 192, 58));
    PaintRingedBall(p, QPointF(166, 16.5), 13.5, true);
    if (!compact) TagLine(p);
    p.restore();
}

void PaintMakerLogo(QPainter& p, const QRectF& box) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(box.topLeft());
    p.scale(box.width() / 94.0, box.height() / 36.0);

    // Badge: a rounded square holding a small stack of bricks.
    const QRectF badge(1, 1, 34, 34);
    QLinearGradient face(badge.topLeft(), badge.bottomRight());
    face.setColorAt(0.0, QColor(90, 140, 255));
    face.setColorAt(1.0, QColor(20, 40, 150));
    p.setPen(QPen(QColor(200, 220, 255), 1.2));
    p.setBrush(face);
    p.drawRoundedRect(badge, 6, 6);
    const std::array<QRectF, 4> bricks{QRectF(6, 7, 11, 6), QRectF(19, 7, 11, 6), QRectF(12.5, 15, 11, 6),
                                       QRectF(12.5, 23, 11, 6)};
    const std::array<QColor, 4> colours{QColor(255, 200, 45), QColor(255, 200, 45), QColor(0, 190, 190),
                                        QColor(150, 210, 30)};
    for (size_t i = 0; i < bricks.size(); ++i) {
        p.setPen(QPen(QColor(5, 10, 40), 0.8));
        p.setBrush(colours[i]);
        p.drawRect(bricks[i]);
    }

    QFont name = Font(kSans, 40, true);
    const QPainterPath title = FittedText(QStringLiteral("TILEBASH"), name, QRectF(40, 4, 53, 12), true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 215, 80));
    p.drawPath(title);
    QFont team = Font(kSerif, 40, false, true);
    const QPainterPath sub = FittedText(QStringLiteral("team"), team, QRectF(40, 19, 53, 14), false);
    p.setBrush(QColor(210, 225, 255));
    p.drawPath(sub);
    p.restore();
}

}  // namespace art
