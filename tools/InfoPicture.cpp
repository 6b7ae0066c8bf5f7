// Instructions page: the logo and "Info" at the top left (the Back to Main
// button sits lower in that column), the four sections of rules on the right.

#include "ArtKit.h"
#include "Logo.h"
#include "Pictures.h"
#include "Specials.h"

#include <QLinearGradient>

#include <algorithm>
#include <vector>

namespace art {

namespace {

const QColor kHeading(255, 205, 60);
const QColor kBody(225, 232, 250);
const QColor kName(150, 215, 255);
constexpr int kColumn = 164;    // left edge of the sections
constexpr int kColumnEnd = 488; // right edge of the sections

struct Stamp {
  int x, y;
  game::SpecialKind kind;
};

void Page(QPainter& p, const QRect& r)
{
  DarkPage(p, r);
  // The sections sit on a slightly lighter sheet.
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(60, 90, 190), 1.0));
  p.setBrush(QColor(22, 38, 120, 200));
  p.drawRoundedRect(QRectF(kColumn - 10.5, 8.5, kColumnEnd - kColumn + 16, 383), 8, 8);
  p.restore();
}

// Section title with a thin rule under it; returns the y where its text starts.
int Heading(QPainter& p, const QString& title, int y)
{
  const QRect ink = TextAt(p, title, Font(kSans, 14, true), QPoint(kColumn, y), kHeading);
  p.setPen(QColor(255, 205, 60, 110));
  p.drawLine(kColumn, y + ink.height() + 3, kColumnEnd, y + ink.height() + 3);
  return y + ink.height() + 7;
}

// Wrapped body text from y across the column (or from x); returns the y below it.
int Body(QPainter& p, const QString& text, int y, int x = kColumn, const QFont& font = Font(kSans, 11, false))
{
  p.setFont(font);
  p.setPen(kBody);
  const QRect box(x, y, kColumnEnd - x, 200);
  const QRect used = p.boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
  p.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
  return y + used.height();
}

void KeyCap(QPainter& p, const QRect& r, const QString& label)
{
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 20, 160));
  p.drawRoundedRect(QRectF(r).translated(1, 2), 3, 3);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0.0, QColor(250, 250, 252));
  g.setColorAt(0.7, QColor(205, 208, 218));
  g.setColorAt(1.0, QColor(150, 152, 168));
  p.setPen(QPen(QColor(70, 72, 90), 1.0));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  p.setFont(Font(kSans, 10, true));
  p.setPen(QColor(20, 20, 30));
  p.drawText(r.adjusted(0, -1, 0, -1), Qt::AlignCenter, label);
  p.restore();
}

int Controls(QPainter& p, int y)
{
  struct Key {
    const char* cap;
    int width;
    const char* action;
  };
  const Key left[] = {{"Left", 40, "Move paddle left"}, {"Right", 40, "Move paddle right"}};
  const Key right[] = {{"P", 22, "Pause"}, {"R", 22, "Reset game"}, {"Q", 22, "Quit"}};
  const QFont font = Font(kSans, 11, false);
  const auto row = [&](const Key& k, int x, int rowY) {
    KeyCap(p, QRect(x, rowY, k.width, 18), QString::fromLatin1(k.cap));
    p.setFont(font);
    p.setPen(kBody);
    p.drawText(QRect(x + k.width + 8, rowY, 140, 18), Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(k.action));
  };
  for (int i = 0; i < 2; ++i) row(left[i], kColumn + 2, y + 2 + 23 * i);
  row(right[0], kColumn + 172, y + 2);
  row(right[1], kColumn + 172, y + 25);
  row(right[2], kColumn + 252, y + 2);
  return y + 2 + 23 * 2;
}

int Bonuses(QPainter& p, int y, std::vector<Stamp>& stamps)
{
  struct Effect {
    game::SpecialKind kind;
    const char* name;
    const char* text;
  };
  const Effect effects[] = {
      {game::drunkenBall, "Drunken Ball", "The ball swerves, but every block is worth double points."},
      {game::strobeBall, "Strobe Ball", "The ball blinks on and off, but every block is worth double points."},
      {game::extraLife, "Extra Life", "One more life."},
  };
  const QFont nameFont = Font(kSans, 11, true);
  const QFont textFont = Font(kSans, 10, false);
  for (const Effect& e : effects) {
    stamps.push_back({kColumn + 2, y, e.kind});
    TextAt(p, QString::fromLatin1(e.name), nameFont, QPoint(kColumn + 31, y + 1), kName);
    const int below = Body(p, QString::fromLatin1(e.text), y + 13, kColumn + 31, textFont);
    y = std::max(y + 30, below + 4);
  }
  const game::SpecialKind points[] = {game::points500, game::points1000, game::points2000, game::points5000};
  for (int i = 0; i < 4; ++i) stamps.push_back({kColumn + 2 + 27 * i, y, points[i]});
  const int textX = kColumn + 2 + 27 * 4 + 6;
  TextAt(p, QStringLiteral("Extra Points"), nameFont, QPoint(textX, y + 1), kName);
  return Body(p, QStringLiteral("Add 500, 1000, 2000 or 5000 points to the score."), y + 13, textX, textFont);
}

} // namespace

QImage PaintInfo()
{
  QImage img = Canvas(500, 400, Qt::black);
  std::vector<Stamp> stamps;
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    Page(p, img.rect());
    PaintTitleLogo(p, QRectF(6, 14, 142, 75), false);
    TextInBox(p, QStringLiteral("Info"), Font(kSerif, 30, true, true), QRect(44, 100, 66, 28), kHeading);

    int y = Heading(p, QStringLiteral("Object"), 16);
    y = Body(p, QStringLiteral("Score as much as possible by breaking as many blocks as possible. "
                               "Move the paddle back and forth to keep the ball in play."), y) + 9;
    y = Heading(p, QStringLiteral("Controls"), y);
    y = Controls(p, y) + 8;
    y = Heading(p, QStringLiteral("Combo System"), y);
    y = Body(p, QStringLiteral("After one block has been broken, 50 bonus points are added for each further "
                               "block broken before the ball touches the paddle again. The bonus points "
                               "show in red above the blocks."), y) + 9;
    y = Heading(p, QStringLiteral("Bonus System"), y);
    y = Body(p, QStringLiteral("Catch the falling bonus icons with the paddle:"), y) + 5;
    Bonuses(p, y, stamps);
  }
  for (const Stamp& s : stamps) StampSpecial(img, s.x, s.y, s.kind);
  return img;
}

} // namespace art
