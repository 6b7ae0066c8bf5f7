// Checks the committed artwork against what the game relies on: the sprite
// sheet's format, layout and mask convention, and the windows' pictures.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRect>
#include <QString>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

QString SourcePath(const char* relative) { return QStringLiteral(TILEBASH_SOURCE_DIR "/") + relative; }

QImage LoadSheet()
{
  QImage sheet(SourcePath("Images/bitmaps.bmp"));
  return sheet.convertToFormat(QImage::Format_RGB32);
}

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }

struct Sprite {
  const char* name;
  QRect mask;
  QPoint image;
};

const QRect kTokenMask(52, 60, 25, 25);

// Every masked thing of the sheet, with the mask it is drawn through.
const std::vector<Sprite> kMaskedSprites{
    {"paddle", QRect(0, 0, 80, 15), QPoint(0, 15)},
    {"ball", QRect(52, 30, 15, 15), QPoint(52, 45)},
    {"points5000", kTokenMask, QPoint(52, 85)},
    {"extraLife", kTokenMask, QPoint(0, 110)},
    {"drunkenBall", kTokenMask, QPoint(25, 110)},
    {"points500", kTokenMask, QPoint(50, 110)},
    {"points2000", kTokenMask, QPoint(0, 135)},
    {"points1000", kTokenMask, QPoint(25, 135)},
    {"strobeBall", kTokenMask, QPoint(50, 135)},
};

const std::vector<QRect> kBricks{QRect(0, 30, 52, 20), QRect(0, 50, 52, 20), QRect(0, 70, 52, 20),
                                 QRect(0, 90, 52, 20)};

std::vector<QRect> AllSheetRects()
{
  std::vector<QRect> rects{kBricks};
  rects.push_back(kTokenMask);
  for (const Sprite& s : kMaskedSprites) {
    if (s.mask != kTokenMask) rects.push_back(s.mask);
    rects.push_back(QRect(s.image, s.mask.size()));
  }
  return rects;
}

uint16_t Le16(const QByteArray& b, int at)
{
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
int32_t Le32(const QByteArray& b, int at)
{
  return static_cast<int32_t>(static_cast<uint32_t>(Le16(b, at)) | static_cast<uint32_t>(Le16(b, at + 2)) << 16);
}

TEST(SpriteSheet, IsAnUncompressed24BitBmpOf80By160)
{
  QFile file(SourcePath("Images/bitmaps.bmp"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_GE(bytes.size(), 54);
  EXPECT_EQ(bytes.left(2), QByteArray("BM"));
  EXPECT_EQ(Le32(bytes, 2), bytes.size());
  EXPECT_EQ(Le32(bytes, 18), 80);
  EXPECT_EQ(std::abs(Le32(bytes, 22)), 160);
  EXPECT_EQ(Le16(bytes, 28), 24) << "bits per pixel";
  EXPECT_EQ(Le32(bytes, 30), 0) << "compression must be BI_RGB";
  EXPECT_GE(bytes.size(), Le32(bytes, 10) + 80 * 3 * 160);
  EXPECT_EQ(QImage(SourcePath("Images/bitmaps.bmp")).size(), QSize(80, 160));
}

TEST(SpriteSheet, ListedRectanglesLieInsideTheSheetWithoutOverlapping)
{
  const std::vector<QRect> rects = AllSheetRects();
  for (size_t i = 0; i < rects.size(); ++i) {
    EXPECT_TRUE(QRect(0, 0, 80, 160).contains(rects[i]));
    for (size_t j = i + 1; j < rects.size(); ++j) EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " " << j;
  }
}

TEST(SpriteSheet, MaskedSpritesKeepTheMaskConvention)
{
  const QImage sheet = LoadSheet();
  for (const Sprite& s : kMaskedSprites) {
    int coloured = 0;
    for (int y = 0; y < s.mask.height(); ++y)
      for (int x = 0; x < s.mask.width(); ++x) {
        const QRgb m = At(sheet, s.mask.x() + x, s.mask.y() + y);
        const QRgb img = At(sheet, s.image.x() + x, s.image.y() + y);
        ASSERT_TRUE(m == kBlack || m == kWhite) << s.name << " mask at " << x << "," << y;
        if (m == kWhite) {
          EXPECT_EQ(img, kBlack) << s.name << " image shows through at " << x << "," << y;
        } else if (img != kBlack) {
          ++coloured;
        }
      }
    EXPECT_GT(coloured, s.mask.width() * s.mask.height() / 4) << s.name << " image is mostly empty";
  }
}

TEST(SpriteSheet, TokenImagesDifferByKind)
{
  const QImage sheet = LoadSheet();
  for (size_t i = 2; i < kMaskedSprites.size(); ++i)
    for (size_t j = i + 1; j < kMaskedSprites.size(); ++j)
      EXPECT_NE(sheet.copy(QRect(kMaskedSprites[i].image, kTokenMask.size())),
                sheet.copy(QRect(kMaskedSprites[j].image, kTokenMask.size())))
          << kMaskedSprites[i].name << " vs " << kMaskedSprites[j].name;
}

TEST(SpriteSheet, PaddleMaskIsBlackExceptNotchedBottomCorners)
{
  const QImage sheet = LoadSheet();
  const int notch[15] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 8, 11, 13};
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 80; ++x) {
      const bool white = x < notch[y] || x >= 80 - notch[y];
      EXPECT_EQ(At(sheet, x, y), white ? kWhite : kBlack) << x << "," << y;
    }
}

TEST(SpriteSheet, PaddleImageIsATrapezoidNarrowingOnePixelPerSidePerRow)
{
  const QImage sheet = LoadSheet();
  for (int row = 0; row < 15; ++row) {
    const bool body = row >= 1 && row <= 13;
    const int left = body ? 1 + row : 80, right = body ? 78 - row : -1; // 76 wide at row 1, 52 at row 13
    for (int x = 0; x < 80; ++x) {
      const bool inside = x >= left && x <= right;
      const QRgb px = At(sheet, x, 15 + row);
      if (!inside) {
        EXPECT_EQ(px, kBlack) << x << "," << row;
      }
      if (x == left || x == right) {
        EXPECT_NE(px, kBlack) << "trapezoid edge " << x << "," << row;
      }
    }
  }
}

TEST(SpriteSheet, BallAndTokenMasksAreDiscsOfTheirSize)
{
  const QImage sheet = LoadSheet();
  for (const QRect& r : {QRect(52, 30, 15, 15), kTokenMask}) {
    const int mid = r.width() / 2, last = r.width() - 1;
    for (const QPoint edge : {QPoint(0, mid), QPoint(last, mid), QPoint(mid, 0), QPoint(mid, last), QPoint(mid, mid)})
      EXPECT_EQ(At(sheet, r.x() + edge.x(), r.y() + edge.y()), kBlack) << r.width() << " disc misses " << edge.x() << "," << edge.y();
    for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
      EXPECT_EQ(At(sheet, r.x() + corner.x(), r.y() + corner.y()), kWhite);
  }
  // The token's slits: white pixels well inside its disc.
  int slits = 0;
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 25; ++x)
      if (std::hypot(x - 12, y - 12) < 11.5 && At(sheet, kTokenMask.x() + x, kTokenMask.y() + y) == kWhite) ++slits;
  EXPECT_GE(slits, 12);
}

TEST(SpriteSheet, BricksAreSolidBarsWithABlackEdgeAndNoPureWhite)
{
  const QImage sheet = LoadSheet();
  for (const QRect& b : kBricks)
    for (int y = b.top(); y <= b.bottom(); ++y)
      for (int x = b.left(); x <= b.right(); ++x) {
        const bool edge = x == b.left() || x == b.right() || y == b.top() || y == b.bottom();
        const QRgb px = At(sheet, x, y);
        EXPECT_NE(px, kWhite) << "brick at y " << b.y() << ": " << x << "," << y;
        if (edge) {
          EXPECT_EQ(px, kBlack) << "brick edge at " << x << "," << y;
        }
      }
}

TEST(SpriteSheet, EverythingOutsideTheListedRectanglesIsWhite)
{
  const QImage sheet = LoadSheet();
  const std::vector<QRect> rects = AllSheetRects();
  int unused = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 80; ++x) {
      bool listed = false;
      for (const QRect& r : rects) listed = listed || r.contains(x, y);
      if (listed) continue;
      ++unused;
      EXPECT_EQ(At(sheet, x, y), kWhite) << x << "," << y;
    }
  EXPECT_GT(unused, 0);
}

} // namespace
