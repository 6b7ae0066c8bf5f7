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
