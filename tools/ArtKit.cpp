#include "ArtKit.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace art {

void RequireFonts() {
    const QStringList families = QFontDatabase::families();
    for (const QString& wanted : {kSans, kSerif}) {
        if (!families.contains(wanted)) {
            std::fprintf(stderr,
                         "paint_artwork: font family \"%s\" is not installed (package fonts-liberation2)\n",
                         qPrintable(wanted));
            std::exit(2);
        }
    }
}

QFont Font(const QString& family, int pixelSize, bool bold, bool italic) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(true);
    return f;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    const auto lerp = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QImage Canvas(int width, int height, const QColor& fill, QImage::Format format) {
    QImage img(width, height, format);
    img.fill(fill);
    return img;
}

static QRectF InkOf(const QString& text, const QFont& font) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path.boundingRect();
}

void TextInBox(QPainter& p, const QString& text, QFont font, const QRect& box, const QColor& colour) {
    int size = 4;
    for (int candidate = 4; candidate < 200; ++candidate) {
        font.setPixelSize(candidate);
        if (InkOf(text, font).height() > box.height() + 0.3) break;
        size = candidate;
    }
    font.setPixelSize(size);
    // Filled as outlines mapped onto the box: hinted glyphs would ink fewer
    // columns than the outlines measure, and the box's extents are exact.
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    QTransform onto;
    onto.translate(box.left(), box.top() + (box.height() - ink.height()) / 2.0);
    onto.scale(box.width() / ink.width(), 1.0);
    onto.translate(-ink.left(), -ink.top());
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillPath(onto.map(path), colour);
    p.restore();
}

QRect TextAt(QPainter& p, const QString& text, const QFont& font, QPoint topLeft, const QColor& colour) {
    const QRectF ink = InkOf(text, font);
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QPointF(topLeft.x() - ink.left(), topLeft.y() - ink.top()), text);
    p.restore();
    return QRect(topLeft, ink.size().toSize());
}

LineSetting SansLines(int pixelSize) {
    // Liberation Sans's vertical design in its units (hhea; OS/2's win metrics agree).
    constexpr double kUnitsPerEm = 2048, kAscender = 1854, kDescender = 434, kLineGap = 67;
    const double scale = pixelSize / kUnitsPerEm;
    return {kAscender * scale, kDescender * scale,
            static_cast<int>(std::ceil((kAscender + kDescender + kLineGap) * scale))};
}

int TextLines(QPainter& p, const QString& text, const QFont& font, const QRect& box, int flags,
              const QColor& colour) {
    if (font.family() != kSans) {
        std::fprintf(stderr, "paint_artwork: lines are set for %s only\n", qPrintable(kSans));
        std::exit(2);
    }
    const LineSetting setting = SansLines(font.pixelSize());
    // The layout only breaks the text into lines: their widths are the glyphs'
    // advances, which every Qt gives alike.
    QTextLayout layout(text, font, p.device());
    QTextOption option;
    option.setWrapMode((flags & Qt::TextWordWrap) ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(box.width());
    layout.endLayout();

    const double height = (layout.lineCount() - 1) * setting.step + setting.ascent + setting.descent;
    const double top = box.top() + ((flags & Qt::AlignVCenter) ? (box.height() - height) / 2.0 : 0.0);
    p.save();
    p.setFont(font);
    p.setPen(colour);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const double indent =
            (flags & Qt::AlignHCenter) ? (box.width() - line.horizontalAdvance()) / 2.0 : 0.0;
        const QPointF start(std::floor(box.left() + indent),
                            std::round(top + i * setting.step + setting.ascent));
        p.drawText(start, text.mid(line.textStart(), line.textLength()));
    }
    p.restore();
    return static_cast<int>(std::ceil(height));
}

static void Edges(QPainter& p, const QRect& r, const QColor& light, const QColor& dark, int depth) {
    for (int i = 0; i < depth; ++i) {
        const double fade = depth > 1 ? static_cast<double>(i) / depth : 0.0;
        const QColor l = Mix(light, QColor(light.red(), light.green(), light.blue(), 0), fade * 0.5);
        const QColor d = Mix(dark, QColor(dark.red(), dark.green(), dark.blue(), 0), fade * 0.5);
        const int x0 = r.left() + i, y0 = r.top() + i, x1 = r.right() - i, y1 = r.bottom() - i;
        p.setPen(l);
        p.drawLine(x0, y0, x1 - 1, y0);
        p.drawLine(x0, y0, x0, y1 - 1);
        p.setPen(d);
        p.drawLine(x0, y1, x1, y1);
        p.drawLine(x1, y0, x1, y1);
    }
}

static void Face(QPainter& p, const QRect& r, const QColor& face) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, face.lighter(108));
    g.setColorAt(1.0, face.darker(106));
    p.fillRect(r, g);
}

void DarkPage(QPainter& p, const QRect& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, QColor(16, 28, 96));
    g.setColorAt(1.0, QColor(6, 10, 52));
    p.fillRect(r, g);
    p.setPen(QColor(90, 120, 220));
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom());
    p.setPen(QColor(2, 4, 24));
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.setPen(QColor(40, 60, 150));
    p.drawRect(r.adjusted(2, 2, -3, -3));
}

void BevelPanel(QPainter& p, const QRect& r, const QColor& face, int depth) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    Face(p, r, face);
    Edges(p, r, face.lighter(135), face.darker(190), depth);
    p.restore();
}

void SunkenPanel(QPainter& p, const QRect& r, const QColor& face, int depth) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    Face(p, r, face);
    Edges(p, r, face.darker(190), face.lighter(150), depth);
    p.restore();
}

void Sparkle(QPainter& p, QPointF c, double radius, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QRadialGradient glow(c, radius);
    QColor halo = colour;
    halo.setAlpha(110);
    glow.setColorAt(0.0, halo);
    glow.setColorAt(1.0, QColor(colour.red(), colour.green(), colour.blue(), 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, radius * 0.6, radius * 0.6);
    const double w = radius * 0.16;
    QPainterPath star;
    star.moveTo(c.x(), c.y() - radius);
    star.quadTo(c.x() + w, c.y() - w, c.x() + radius, c.y());
    star.quadTo(c.x() + w, c.y() + w, c.x(), c.y() + radius);
    star.quadTo(c.x() - w, c.y() + w, c.x() - radius, c.y());
    star.quadTo(c.x() - w, c.y() - w, c.x(), c.y() - radius);
    p.setBrush(colour);
    p.drawPath(star);
    p.restore();
}

void BlueSphere(QPainter& p, QPointF c, double r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QRadialGradient g(c, r, QPointF(c.x() - r * 0.45, c.y() - r * 0.45));
    g.setColorAt(0.0, QColor(235, 245, 255));
    g.setColorAt(0.22, QColor(110, 170, 255));
    g.setColorAt(0.65, QColor(30, 70, 200));
    g.setColorAt(1.0, QColor(8, 16, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.restore();
}

}  // namespace art
