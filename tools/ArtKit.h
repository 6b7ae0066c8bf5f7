#pragma once
// Small drawing helpers shared by every picture of paint_artwork.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

namespace art {

inline const QString kSans = QStringLiteral("Liberation Sans");
inline const QString kSerif = QStringLiteral("Liberation Serif");

// Stops the program when a font we paint with is not installed: a silent
// fallback would quietly change every picture.
void RequireFonts();

QFont Font(const QString& family, int pixelSize, bool bold, bool italic = false);

QColor Mix(const QColor& a, const QColor& b, double t);

// A picture of the given size filled with one colour, ready to paint on.
QImage Canvas(int width, int height, const QColor& fill, QImage::Format format = QImage::Format_RGB32);

// Prints text so that its inked pixels fill box: the largest pixel size whose
// ink fits the box's height, stretched sideways to exactly the box's width.
void TextInBox(QPainter& p, const QString& text, QFont font, const QRect& box, const QColor& colour);

// Prints text with its top-left ink corner at topLeft; returns the inked rect.
QRect TextAt(QPainter& p, const QString& text, const QFont& font, QPoint topLeft, const QColor& colour);

// How lines of Liberation Sans are set at a pixel size, from the font's own
// design rather than from Qt's font metrics: with full hinting Qt 6.4 keeps
// the fractions of the font's ascent and descent and adds its line gap, Qt 6.8
// rounds both and drops the gap, and every wrapped or centred line moved.
struct LineSetting {
    double ascent;   // from a line's top down to its baseline
    double descent;  // from the baseline down to the line's foot
    int step;        // from one line's top to the next: ascent, descent and line gap, rounded up
};
LineSetting SansLines(int pixelSize);

// Prints text into box as QPainter::drawText(box, flags, text) does, its lines
// placed by SansLines: flags are Qt::AlignLeft or Qt::AlignHCenter,
// Qt::AlignTop or Qt::AlignVCenter, and Qt::TextWordWrap. Lines start a step
// apart; centred, the lines from the first one's top to the last one's foot
// sit in the middle of the box. Each line starts on a whole pixel: its
// baseline rounded to the nearest, its left end down, as Qt 6.4 placed them.
// Returns the height of the lines in whole pixels, rounded up.
int TextLines(QPainter& p, const QString& text, const QFont& font, const QRect& box, int flags,
              const QColor& colour);

// Raised panel: face with a soft vertical gradient, light top-left edges and
// dark bottom-right edges, `depth` pixels wide.
// The dark blue page of the start and information windows, with a raised rim
// standing in for the window border they do not have.
void DarkPage(QPainter& p, const QRect& r);

void BevelPanel(QPainter& p, const QRect& r, const QColor& face, int depth);

// Sunken panel: the same edges swapped.
void SunkenPanel(QPainter& p, const QRect& r, const QColor& face, int depth);

// Four-pointed glint used around the ball in logos and the icon.
void Sparkle(QPainter& p, QPointF centre, double radius, const QColor& colour);

// Shiny blue sphere, light at the upper left, navy at the lower right.
void BlueSphere(QPainter& p, QPointF centre, double radius);

}  // namespace art
