// Checks the committed artwork against what the game relies on: the sprite
// sheet's format, the layout of game/Constants.h and the mask convention; the
// artwork check's tolerances (tools/Artwork.h); and where the painter sets its
// lines of text (tools/ArtKit.h).

#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ArtKit.h"
#include "Artwork.h"
#include "MenuTestSupport.h"
#include "PictureCheck.h"
#include "PictureFiles.h"
#include "game/Constants.h"
#include "game/GameState.h"

namespace {

using widget_test::SourcePath;

QImage LoadSheet() {
    QImage sheet(SourcePath("Images/bitmaps.bmp"));
    return sheet.convertToFormat(QImage::Format_RGB32);
}

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

QRgb At(const QImage& img, int x, int y) {
    return img.pixel(x, y) | 0xFF000000u;
}

QRect Rect(const game::SheetRect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

struct Sprite {
    std::string name;
    QRect mask;
    QPoint image;
};

const QRect kSheet(0, 0, game::kSheetWidth, game::kSheetHeight);
const QRect kSpecialMask = Rect(game::kSpecialMask);

// Every masked thing of the sheet, with the mask it is drawn through.
std::vector<Sprite> MaskedSprites() {
    std::vector<Sprite> sprites{
        {"paddle", Rect(game::kPaddleMask), Rect(game::kPaddleSprite).topLeft()},
        {"ball", Rect(game::kBallMask), Rect(game::kBallSprite).topLeft()},
    };
    for (int kind = game::extraLife; kind <= game::strobeBall; ++kind)
        sprites.push_back({"special kind " + std::to_string(kind), kSpecialMask,
                           QPoint(game::kSpecialLooks[kind].spriteX, game::kSpecialLooks[kind].spriteY)});
    return sprites;
}

std::vector<QRect> Bricks() {
    std::vector<QRect> bricks;
    for (const game::BrickLook& look : game::kBrickLooks)
        bricks.emplace_back(game::kBrickSpriteX, look.spriteY, game::kBrickWidth, game::kBrickHeight);
    return bricks;
}

std::vector<QRect> AllSheetRects() {
    std::vector<QRect> rects = Bricks();
    rects.push_back(kSpecialMask);
    for (const Sprite& s : MaskedSprites()) {
        if (s.mask != kSpecialMask) rects.push_back(s.mask);
        rects.push_back(QRect(s.image, s.mask.size()));
    }
    return rects;
}

uint16_t Le16(const QByteArray& b, int at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
int32_t Le32(const QByteArray& b, int at) {
    return static_cast<int32_t>(static_cast<uint32_t>(Le16(b, at)) | static_cast<uint32_t>(Le16(b, at + 2))
                                                                         << 16);
}

TEST(SpriteSheet, IsAnUncompressed24BitBmpOf80By160) {
    QFile file(SourcePath("Images/bitmaps.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(Le32(bytes, 2), bytes.size());
    EXPECT_EQ(Le32(bytes, 18), game::kSheetWidth);
    EXPECT_EQ(std::abs(Le32(bytes, 22)), game::kSheetHeight);
    EXPECT_EQ(Le16(bytes, 28), 24) << "bits per pixel";
    EXPECT_EQ(Le32(bytes, 30), 0) << "compression must be BI_RGB";
    EXPECT_GE(bytes.size(), Le32(bytes, 10) + game::kSheetWidth * 3 * game::kSheetHeight);
    EXPECT_EQ(QImage(SourcePath("Images/bitmaps.bmp")).size(), kSheet.size());
}

TEST(SpriteSheet, ListedRectanglesLieInsideTheSheetWithoutOverlapping) {
    const std::vector<QRect> rects = AllSheetRects();
    for (size_t i = 0; i < rects.size(); ++i) {
        EXPECT_TRUE(kSheet.contains(rects[i]));
        for (size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " " << j;
    }
}

TEST(SpriteSheet, MaskedSpritesKeepTheMaskConvention) {
    const QImage sheet = LoadSheet();
    for (const Sprite& s : MaskedSprites()) {
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

TEST(SpriteSheet, SpecialImagesDifferByKind) {
    const QImage sheet = LoadSheet();
    const std::vector<Sprite> sprites = MaskedSprites();
    for (size_t i = 2; i < sprites.size(); ++i)
        for (size_t j = i + 1; j < sprites.size(); ++j)
            EXPECT_NE(sheet.copy(QRect(sprites[i].image, kSpecialMask.size())),
                      sheet.copy(QRect(sprites[j].image, kSpecialMask.size())))
                << sprites[i].name << " vs " << sprites[j].name;
}

TEST(SpriteSheet, PaddleMaskIsBlackExceptNotchedBottomCorners) {
    const QImage sheet = LoadSheet();
    const QRect mask = Rect(game::kPaddleMask);
    const int firstNotched = mask.height() - static_cast<int>(game::kPaddleMaskNotches.size());
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) {
            const int notch = y < firstNotched ? 0 : game::kPaddleMaskNotches[y - firstNotched];
            const bool white = x < notch || x >= mask.width() - notch;
            EXPECT_EQ(At(sheet, mask.x() + x, mask.y() + y), white ? kWhite : kBlack) << x << "," << y;
        }
}

TEST(SpriteSheet, PaddleImageIsATrapezoidNarrowingOnePixelPerSidePerRow) {
    const QImage sheet = LoadSheet();
    for (int row = 0; row < 15; ++row) {
        const bool body = row >= 1 && row <= 13;
        const int left = body ? 1 + row : 80,
                  right = body ? 78 - row : -1;  // 76 wide at row 1, 52 at row 13
        for (int x = 0; x < 80; ++x) {
            const bool inside = x >= left && x <= right;
            const QRgb px = At(sheet, game::kPaddleSprite.x + x, game::kPaddleSprite.y + row);
            if (!inside) {
                EXPECT_EQ(px, kBlack) << x << "," << row;
            }
            if (x == left || x == right) {
                EXPECT_NE(px, kBlack) << "trapezoid edge " << x << "," << row;
            }
        }
    }
}

TEST(SpriteSheet, BallAndSpecialMasksAreDiscsOfTheirSize) {
    const QImage sheet = LoadSheet();
    for (const QRect& r : {Rect(game::kBallMask), kSpecialMask}) {
        const int mid = r.width() / 2, last = r.width() - 1;
        for (const QPoint edge :
             {QPoint(0, mid), QPoint(last, mid), QPoint(mid, 0), QPoint(mid, last), QPoint(mid, mid)})
            EXPECT_EQ(At(sheet, r.x() + edge.x(), r.y() + edge.y()), kBlack)
                << r.width() << " disc misses " << edge.x() << "," << edge.y();
        for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
            EXPECT_EQ(At(sheet, r.x() + corner.x(), r.y() + corner.y()), kWhite);
    }
    // The item's slits: white pixels well inside its disc.
    int slits = 0;
    for (int y = 0; y < kSpecialMask.height(); ++y)
        for (int x = 0; x < kSpecialMask.width(); ++x)
            if (std::hypot(x - 12, y - 12) < 11.5 &&
                At(sheet, kSpecialMask.x() + x, kSpecialMask.y() + y) == kWhite)
                ++slits;
    EXPECT_GE(slits, 12);
}

TEST(SpriteSheet, BricksAreSolidBarsWithABlackEdgeAndNoPureWhite) {
    const QImage sheet = LoadSheet();
    for (const QRect& b : Bricks())
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

TEST(SpriteSheet, EverythingOutsideTheListedRectanglesIsWhite) {
    const QImage sheet = LoadSheet();
    const std::vector<QRect> rects = AllSheetRects();
    int unused = 0;
    for (int y = 0; y < kSheet.height(); ++y)
        for (int x = 0; x < kSheet.width(); ++x) {
            bool listed = false;
            for (const QRect& r : rects) listed = listed || r.contains(x, y);
            if (listed) continue;
            ++unused;
            EXPECT_EQ(At(sheet, x, y), kWhite) << x << "," << y;
        }
    EXPECT_GT(unused, 0);
}

const art::ArtworkFile& Artwork(const char* path) {
    for (const art::ArtworkFile& f : art::ArtworkFiles())
        if (std::strcmp(f.path, path) == 0) return f;
    ADD_FAILURE() << path << " is not painted";
    return art::ArtworkFiles().front();
}

// The check the artwork test runs: a repaint one level off at a few edge pixels
// (another processor's rounding) passes; a changed colour, or any changed pixel
// of the sprite sheet, fails.
TEST(ArtworkCheck, ToleratesARoundingInAnIconButNotAColourChangeNorAnySheetPixel) {
    const art::ArtworkFile& icon = Artwork("windows/pictures/icon256.png");
    const QImage committedIcon = QImage(SourcePath(icon.path)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(committedIcon.isNull());
    QImage rounded = committedIcon;
    for (const QPoint at : {QPoint(128, 128), QPoint(100, 60), QPoint(200, 150)}) {
        const QRgb c = rounded.pixel(at);
        rounded.setPixel(at, qRgba(qRed(c) ^ 1, qGreen(c), qBlue(c) ^ 1, qAlpha(c)));
    }
    EXPECT_TRUE(art::ComparePictures(rounded, committedIcon, icon.tolerance).Passes());
    QImage recoloured = committedIcon;
    for (int y = 120; y < 136; ++y)
        for (int x = 120; x < 136; ++x) {
            const QRgb c = recoloured.pixel(x, y);
            recoloured.setPixel(
                x, y,
                qRgba(qRed(c), qGreen(c), qBlue(c) >= 128 ? qBlue(c) - 24 : qBlue(c) + 24, qAlpha(c)));
        }
    const art::PictureDifference d = art::ComparePictures(recoloured, committedIcon, icon.tolerance);
    EXPECT_FALSE(d.Passes());
    EXPECT_EQ(d.beyond, 16 * 16);

    const art::ArtworkFile& sheet = Artwork("Images/bitmaps.bmp");
    QImage oneOff = LoadSheet();
    oneOff.setPixel(30, 40, At(oneOff, 30, 40) ^ 1u);
    EXPECT_EQ(art::ComparePictures(oneOff, LoadSheet(), sheet.tolerance).beyond, 1);
    EXPECT_EQ(Artwork("docs/specials.png").tolerance, 0) << "the guide is the sheet's own pixels";
}

// The rows just below each band of inked rows: where a line of capitals stands.
std::vector<int> CapitalsFeet(const QImage& img) {
    std::vector<int> feet;
    bool inkedAbove = false;
    for (int y = 0; y < img.height(); ++y) {
        bool inked = false;
        for (int x = 0; x < img.width(); ++x) inked = inked || qGray(img.pixel(x, y)) > 128;
        if (inkedAbove && !inked) feet.push_back(y);
        inkedAbove = inked;
    }
    return feet;
}

// The painter sets lines by its own numbers, so a Qt that rounds the font's
// ascent, descent and leading otherwise (6.8 does, 6.4 does not) moves none.
// The baselines are the committed pictures': the information window's
// paragraphs 13 and its bonus lines 12 pixels apart, the start window's
// credits 10 pixels into their boxes, the keys' words 13 into theirs.
TEST(ArtworkText, LinesStandOnTheCommittedPicturesBaselinesWhateverQtRoundsTheFontTo) {
    menu_test::EnsureApplication();
    ASSERT_TRUE(QFontDatabase::families().contains(art::kSans));
    struct Case {
        int pixelSize, flags, boxHeight;
        std::vector<int> baselines;
        int height;  // what the painter places the next text below
    } const cases[] = {
        {11, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, 60, {10, 23, 36}, 39},
        {10, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, 60, {9, 21, 33}, 36},
        {10, Qt::AlignCenter, 14, {10}, 12},
        {10, Qt::AlignCenter, 13, {10}, 12},
        {11, Qt::AlignVCenter | Qt::AlignLeft, 18, {13}, 13},
    };
    for (const Case& c : cases) {
        QImage img(30, 64, QImage::Format_RGB32);
        img.fill(Qt::black);
        QPainter p(&img);
        const int height =
            art::TextLines(p, QStringLiteral("HH HH HH"), art::Font(art::kSans, c.pixelSize, false),
                           QRect(0, 0, 20, c.boxHeight), c.flags, Qt::white);
        p.end();
        EXPECT_EQ(CapitalsFeet(img), c.baselines)
            << c.pixelSize << " px in a box " << c.boxHeight << " high";
        EXPECT_EQ(height, c.height) << c.pixelSize << " px in a box " << c.boxHeight << " high";
    }
}

}  // namespace
