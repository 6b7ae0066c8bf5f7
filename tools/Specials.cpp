#include "Specials.h"

#include "ArtKit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstring>
#include <numbers>

namespace art {

namespace {

constexpr double kCentre = kSpecialSize / 2.0;
constexpr double kOuterRadius = 12.4;  // disc edge, pixel centres inside are solid
constexpr double kSlitInner = 9.6;     // ring of slits between these radii
constexpr double kSlitOuter = 11.1;
constexpr int kSlitCount = 12;
constexpr double kSlitDegrees = 13.0;  // angular width of one slit
constexpr double kFaceRadius = 9.4;    // the coloured face carrying the symbol

struct ItemColours {
    QColor body;
    QColor face;
};

ItemColours ColoursOf(game::SpecialKind kind) {
    switch (kind) {
        case game::extraLife:
            return {QColor(0, 150, 190), QColor(60, 215, 245)};
        case game::drunkenBall:
            return {QColor(170, 20, 20), QColor(235, 50, 40)};
        case game::strobeBall:
            return {QColor(45, 45, 70), QColor(70, 65, 100)};
        default:
            return {QColor(20, 120, 35), QColor(50, 185, 60)};
    }
}

const QColor kSymbolYellow(255, 222, 40);
const QColor kSymbolEdge(120, 60, 0);

void Star(QPainter& p) {
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? 7.6 : 3.2;
        const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF pt(kCentre + r * std::cos(a), kCentre + 0.6 + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    QLinearGradient g(0, 5, 0, 20);
    g.setColorAt(0.0, QColor(255, 250, 170));
    g.setColorAt(1.0, QColor(255, 190, 0));
    p.setPen(QPen(kSymbolEdge, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(star);
}

void CurvedArrow(QPainter& p) {
    // Three quarters of a circle, clockwise, ending in an arrowhead.
    const QRectF arcBox(kCentre - 5.2, kCentre - 5.2, 10.4, 10.4);
    QPainterPath arc;
    arc.arcMoveTo(arcBox, 200);
    arc.arcTo(arcBox, 200, -250);
    const QPointF tip = arc.currentPosition();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kSymbolEdge, 4.0, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);
    p.setPen(QPen(kSymbolYellow, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);
    // Arrowhead pointing along the arc's direction at its end (moving clockwise, i.e. downwards on the left side).
    const double a = (200.0 - 250.0) * std::numbers::pi / 180.0;
    const QPointF dir(std::sin(a), std::cos(a));  // tangent of a clockwise arc in screen space
    const QPointF side(-dir.y(), dir.x());
    QPolygonF head;
    head << tip + dir * 3.6 << tip + side * 3.4 << tip - side * 3.4;
    p.setPen(QPen(kSymbolEdge, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kSymbolYellow);
    p.drawPolygon(head);
}

void Bulb(QPainter& p) {
    // Rays first, then the glass and the screw base.
    p.setPen(QPen(QColor(255, 230, 90), 1.1, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 7; ++i) {
        const double a = std::numbers::pi * (1.0 + i / 6.0);
        p.drawLine(QPointF(kCentre + 6.6 * std::cos(a), 11.0 + 6.6 * std::sin(a)),
                   QPointF(kCentre + 8.6 * std::cos(a), 11.0 + 8.6 * std::sin(a)));
    }
    QPainterPath glass;
    glass.addEllipse(QPointF(kCentre, 10.6), 4.6, 4.6);
    QPainterPath neck;
    neck.addRect(QRectF(kCentre - 2.4, 12.5, 4.8, 3.4));
    glass = glass.united(neck);
    QRadialGradient g(QPointF(kCentre - 1.5, 9.0), 6.0);
    g.setColorAt(0.0, QColor(255, 255, 210));
    g.setColorAt(0.5, QColor(255, 230, 60));
    g.setColorAt(1.0, QColor(230, 160, 0));
    p.setPen(QPen(kSymbolEdge, 0.8));
    p.setBrush(g);
    p.drawPath(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(175, 175, 185));
    p.drawRect(QRectF(kCentre - 2.6, 16.0, 5.2, 3.2));
    p.setBrush(QColor(95, 95, 110));
    p.drawRect(QRectF(kCentre - 2.6, 17.0, 5.2, 0.8));
    p.drawRect(QRectF(kCentre - 1.4, 19.2, 2.8, 1.0));
}

// Item labels are set in a hand-drawn 5 x 7 pixel font: at this size an
// outline font blurs into a smudge, pixel glyphs stay crisp.
const char* GlyphRows(char c) {
    switch (c) {
        case '0':
            return ".###.#...##...##...##...##...#.###.";
        case '1':
            return "..#...##....#....#....#....#...###.";
        case '2':
            return ".###.#...#....#...#...#...#...#####";
        case '5':
            return "######....####.....#....##...#.###.";
        case 'K':
            return "#...##..#.#.#..##...#.#..#..#.#...#";
        default:
            return "...................................";
    }
}

void Label(QImage& img, const char* text) {
    const int count = static_cast<int>(std::strlen(text));
    const bool bold = count <= 2;  // short labels have room for doubled strokes
    const int advance = bold ? 7 : 6;
    const int width = count * advance - 1;
    const int left = (kSpecialSize - width) / 2, top = 9;
    const QRgb ink = qRgb(255, 252, 215), shadow = qRgb(10, 55, 15);
    for (int pass = 0; pass < 2; ++pass) {
        const int offset = pass == 0 ? 1 : 0;
        for (int i = 0; i < count; ++i) {
            const char* rows = GlyphRows(text[i]);
            for (int gy = 0; gy < 7; ++gy)
                for (int gx = 0; gx < 5; ++gx) {
                    if (rows[gy * 5 + gx] != '#') continue;
                    const int x = left + i * advance + gx + offset, y = top + gy + offset;
                    img.setPixel(x, y, pass == 0 ? shadow : ink);
                    if (bold) img.setPixel(x + 1, y, pass == 0 ? shadow : ink);
                }
        }
    }
}

}  // namespace

bool SpecialSeeThrough(int x, int y) {
    const double dx = x + 0.5 - kCentre, dy = y + 0.5 - kCentre;
    const double d = std::hypot(dx, dy);
    if (d > kOuterRadius) return true;
    if (d < kSlitInner || d > kSlitOuter) return false;
    // Slits centred on multiples of the slit pitch, starting at the top.
    double deg = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
    const double pitch = 360.0 / kSlitCount;
    deg = std::fmod(deg + 360.0 + pitch / 2.0, pitch) - pitch / 2.0;
    return std::fabs(deg) <= kSlitDegrees / 2.0;
}

QImage SpecialImage(game::SpecialKind kind) {
    QImage img(kSpecialSize, kSpecialSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    const ItemColours look = ColoursOf(kind);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        const QPointF c(kCentre, kCentre);
        QRadialGradient body(c, 12.5, QPointF(kCentre - 4, kCentre - 4));
        body.setColorAt(0.0, look.body.lighter(150));
        body.setColorAt(1.0, look.body.darker(150));
        p.setPen(Qt::NoPen);
        p.setBrush(body);
        p.drawEllipse(c, 12.6, 12.6);
        QRadialGradient face(c, kFaceRadius, QPointF(kCentre - 3.5, kCentre - 4));
        face.setColorAt(0.0, look.face.lighter(140));
        face.setColorAt(0.75, look.face);
        face.setColorAt(1.0, look.face.darker(125));
        p.setPen(QPen(look.body.darker(170), 0.8));
        p.setBrush(face);
        p.drawEllipse(c, kFaceRadius, kFaceRadius);
        switch (kind) {
            case game::extraLife:
                Star(p);
                break;
            case game::drunkenBall:
                CurvedArrow(p);
                break;
            case game::points500:
            case game::points1000:
            case game::points2000:
            case game::points5000:
                break;  // labelled below, pixel by pixel
            case game::strobeBall:
                Bulb(p);
                break;
        }
    }
    QImage out = img.convertToFormat(QImage::Format_RGB32);
    switch (kind) {
        case game::points500:
            Label(out, "500");
            break;
        case game::points1000:
            Label(out, "1K");
            break;
        case game::points2000:
            Label(out, "2K");
            break;
        case game::points5000:
            Label(out, "5K");
            break;
        default:
            break;
    }
    for (int y = 0; y < kSpecialSize; ++y)
        for (int x = 0; x < kSpecialSize; ++x)
            if (SpecialSeeThrough(x, y)) out.setPixel(x, y, qRgb(0, 0, 0));
    return out;
}

void StampSpecial(QImage& target, int x, int y, game::SpecialKind kind) {
    const QImage img = SpecialImage(kind);
    for (int ty = 0; ty < kSpecialSize; ++ty)
        for (int tx = 0; tx < kSpecialSize; ++tx)
            if (!SpecialSeeThrough(tx, ty)) target.setPixel(x + tx, y + ty, img.pixel(tx, ty));
}

}  // namespace art
