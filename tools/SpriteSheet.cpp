#include "SpriteSheet.h"

#include "ArtKit.h"
#include "Tokens.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <cstdlib>

namespace art {

namespace {

constexpr int kSheetWidth = 80;
constexpr int kSheetHeight = 160;

const QRect kPaddleMask(0, 0, 80, 15);
const QRect kPaddleImage(0, 15, 80, 15);
const QRect kBallMask(52, 30, 15, 15);
const QRect kBallImage(52, 45, 15, 15);
const QPoint kTokenMask(52, 60);

struct BrickArt {
  int y;
  const char* points;
  QColor colour;
};
const std::array<BrickArt, 4> kBricks{{
    {30, "100", QColor(95, 80, 225)},   // violet-blue
    {50, "200", QColor(0, 150, 155)},   // teal
    {70, "300", QColor(35, 165, 55)},   // green
    {90, "500", QColor(150, 195, 20)},  // yellow-green
}};

struct TokenPlace {
  TokenKind kind;
  QPoint at;
};
const std::array<TokenPlace, 7> kTokens{{
    {TokenKind::points5000, {52, 85}},
    {TokenKind::extraLife, {0, 110}},
    {TokenKind::drunkenBall, {25, 110}},
    {TokenKind::points500, {50, 110}},
    {TokenKind::points2000, {0, 135}},
    {TokenKind::points1000, {25, 135}},
    {TokenKind::strobeBall, {50, 135}},
}};

// The paddle's notched bottom corners: white wedge width per side in rows 11..14.
constexpr std::array<int, 4> kPaddleNotches{4, 8, 11, 13};

void PaintPaddleMask(QImage& sheet)
{
  const QRect r = kPaddleMask;
  for (int y = 0; y < r.height(); ++y)
    for (int x = 0; x < r.width(); ++x) {
      const int row = y - (r.height() - static_cast<int>(kPaddleNotches.size()));
      const bool notch = row >= 0 && (x < kPaddleNotches[row] || x >= r.width() - kPaddleNotches[row]);
      sheet.setPixel(r.x() + x, r.y() + y, notch ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
}

// Dark arrowhead, tip at (tipX, 7) of the paddle, pointing left (dir -1) or right (+1).
void PaddleArrow(QImage& sheet, int tipX, int dir)
{
  const QRgb dark = qRgb(28, 18, 90);
  for (int k = -3; k <= 3; ++k) {
    const int row = 7 + k;
    const int from = std::abs(k);
    for (int i = from; i <= 4; ++i) sheet.setPixel(kPaddleImage.x() + tipX - dir * i, kPaddleImage.y() + row, dark);
  }
}

void PaintPaddleImage(QImage& sheet)
{
  const QRect r = kPaddleImage;
  const QColor base(115, 95, 235); // blue-violet
  for (int y = 0; y < r.height(); ++y)
    for (int x = 0; x < r.width(); ++x) sheet.setPixel(r.x() + x, r.y() + y, qRgb(0, 0, 0));
  for (int row = 1; row <= 13; ++row) {
    const int left = 1 + row, right = 78 - row; // 76 wide at row 1, 52 at row 13
    QColor c;
    if (row == 1) c = QColor(215, 210, 255);
    else if (row <= 3) c = Mix(QColor(175, 165, 255), base, (row - 2) / 2.0);
    else c = Mix(base, QColor(45, 30, 150), (row - 4) / 9.0);
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

void PaintBrick(QImage& sheet, const BrickArt& brick)
{
  const QRect r(0, brick.y, 52, 20);
  QPainter p(&sheet);
  p.fillRect(r, Qt::black);
  const QRect bar = r.adjusted(1, 1, -1, -1);
  QLinearGradient g(bar.topLeft(), bar.bottomLeft());
  g.setColorAt(0.0, brick.colour.lighter(150));
  g.setColorAt(0.18, brick.colour.lighter(112));
  g.setColorAt(0.6, brick.colour);
  g.setColorAt(1.0, brick.colour.darker(145));
  p.fillRect(bar, g);
  // Bevel: light top and left, dark bottom and right, inside the black edge.
  p.setPen(brick.colour.lighter(175));
  p.drawLine(bar.left(), bar.top(), bar.right() - 1, bar.top());
  p.drawLine(bar.left(), bar.top(), bar.left(), bar.bottom() - 1);
  p.setPen(brick.colour.darker(200));
  p.drawLine(bar.left(), bar.bottom(), bar.right(), bar.bottom());
  p.drawLine(bar.right(), bar.top(), bar.right(), bar.bottom());

  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  const QString text = QString::fromLatin1(brick.points);
  QFont font = Font(kSans, 17, true);
  font.setStretch(112);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF ink = path.boundingRect();
  path.translate(bar.left() + (bar.width() - ink.width()) / 2.0 - ink.left(),
                 bar.top() + (bar.height() - ink.height()) / 2.0 - ink.top());
  p.setPen(Qt::NoPen);
  p.setBrush(brick.colour.darker(260));
  p.drawPath(path.translated(1.0, 1.0));
  p.setBrush(QColor(252, 250, 232));
  p.drawPath(path);
}

bool BallSolid(int x, int y)
{
  const double dx = x + 0.5 - 7.5, dy = y + 0.5 - 7.5;
  return dx * dx + dy * dy <= 7.5 * 7.5;
}

void PaintBall(QImage& sheet)
{
  QImage ball(15, 15, QImage::Format_RGB32);
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
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) {
      const bool solid = BallSolid(x, y);
      sheet.setPixel(kBallMask.x() + x, kBallMask.y() + y, solid ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
      sheet.setPixel(kBallImage.x() + x, kBallImage.y() + y, solid ? ball.pixel(x, y) : qRgb(0, 0, 0));
    }
}

void PaintTokens(QImage& sheet)
{
  for (int y = 0; y < kTokenSize; ++y)
    for (int x = 0; x < kTokenSize; ++x)
      sheet.setPixel(kTokenMask.x() + x, kTokenMask.y() + y,
                     TokenSeeThrough(x, y) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
  for (const TokenPlace& t : kTokens) {
    const QImage img = TokenImage(t.kind);
    for (int y = 0; y < kTokenSize; ++y)
      for (int x = 0; x < kTokenSize; ++x) sheet.setPixel(t.at.x() + x, t.at.y() + y, img.pixel(x, y));
  }
}

// The game draws masked things with AND then OR, so a mask may hold only pure
// black and white, and an image must be pure black wherever its mask is white.
void EnforceMask(QImage& sheet, QRect mask, QPoint image)
{
  for (int y = 0; y < mask.height(); ++y)
    for (int x = 0; x < mask.width(); ++x) {
      const bool seeThrough = qGray(sheet.pixel(mask.x() + x, mask.y() + y)) >= 128;
      sheet.setPixel(mask.x() + x, mask.y() + y, seeThrough ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
      if (seeThrough) sheet.setPixel(image.x() + x, image.y() + y, qRgb(0, 0, 0));
    }
}

// Pure white is the sheet's unused colour; a brick never holds it.
void KeepBrickOffWhite(QImage& sheet, const BrickArt& brick)
{
  for (int y = brick.y; y < brick.y + 20; ++y)
    for (int x = 0; x < 52; ++x)
      if (sheet.pixel(x, y) == qRgb(255, 255, 255)) sheet.setPixel(x, y, qRgb(250, 250, 250));
}

} // namespace

QImage PaintSpriteSheet()
{
  QImage sheet = Canvas(kSheetWidth, kSheetHeight, Qt::white);
  PaintPaddleMask(sheet);
  PaintPaddleImage(sheet);
  for (const BrickArt& b : kBricks) {
    PaintBrick(sheet, b);
    KeepBrickOffWhite(sheet, b);
  }
  PaintBall(sheet);
  PaintTokens(sheet);

  EnforceMask(sheet, kPaddleMask, kPaddleImage.topLeft());
  EnforceMask(sheet, kBallMask, kBallImage.topLeft());
  for (const TokenPlace& t : kTokens) EnforceMask(sheet, QRect(kTokenMask, QSize(kTokenSize, kTokenSize)), t.at);
  return sheet;
}

} // namespace art
