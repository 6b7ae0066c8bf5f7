// The persistent image: block copies with exact raster operations and safe
// clipping, outlines, text, font sizes and loading the sheet.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "TestPictures.h"
#include "platform/qt/QtSurface.h"

using platform::RasterOp;
using platform::Rgb;
using platform::qt::QtSurface;
using testpics::Px;

namespace {

QImage Plain(int w, int h, QRgb c) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

// A surface whose background is one colour and whose sheet is given.
struct Fixture {
    QTemporaryDir dir;
    QtSurface surface;
    Fixture(QRgb background, const QImage& sheet) : surface(Plain(640, 420, background)) {
        std::string error;
        EXPECT_TRUE(surface.LoadBitmaps(testpics::SaveBmp(sheet, dir, "sheet.bmp"), error)) << error;
        surface.Cls();
    }
};

int CountNot(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += Px(image, x, y) != (colour | 0xff000000u);
    return n;
}

}  // namespace

TEST(QtSurface, RasterOperationsCombineEveryBitOfEachChannel) {
    struct Case {
        RasterOp op;
        QRgb dst, src, expected;
    } cases[] = {
        {RasterOp::SRCCOPY, qRgb(0x12, 0x34, 0x56), qRgb(0xA5, 0x0F, 0xF0), qRgb(0xA5, 0x0F, 0xF0)},
        {RasterOp::SRCAND, qRgb(0x12, 0x34, 0x56), qRgb(0xA5, 0x0F, 0xF0),
         qRgb(0x12 & 0xA5, 0x34 & 0x0F, 0x56 & 0xF0)},
        {RasterOp::SRCPAINT, qRgb(0x12, 0x34, 0x56), qRgb(0xA5, 0x0F, 0xF0),
         qRgb(0x12 | 0xA5, 0x34 | 0x0F, 0x56 | 0xF0)},
        {RasterOp::SRCAND, qRgb(200, 150, 100), qRgb(255, 255, 255),
         qRgb(200, 150, 100)},                                                          // white mask keeps
        {RasterOp::SRCAND, qRgb(200, 150, 100), qRgb(0, 0, 0), qRgb(0, 0, 0)},          // black mask clears
        {RasterOp::SRCPAINT, qRgb(200, 150, 100), qRgb(0, 0, 0), qRgb(200, 150, 100)},  // black image keeps
    };
    for (const Case& c : cases) {
        Fixture f(c.dst, Plain(80, 160, c.src));
        f.surface.BitBlt(100, 50, 3, 2, 10, 20, c.op);
        SCOPED_TRACE(static_cast<int>(c.op));
        f.surface.Flush();
        EXPECT_EQ(Px(f.surface.Image(), 100, 50), c.expected);
        EXPECT_EQ(Px(f.surface.Image(), 102, 51), c.expected);
        EXPECT_EQ(Px(f.surface.Image(), 103, 51), c.dst | 0xff000000u);  // right of the copy
        EXPECT_EQ(Px(f.surface.Image(), 100, 52), c.dst | 0xff000000u);  // below it
        EXPECT_EQ(CountNot(f.surface.Image(), c.dst), c.expected == (c.dst | 0xff000000u) ? 0 : 6);
    }
}

TEST(QtSurface, CopyTakesTheSourceRectanglePixelForPixel) {
    QImage sheet(80, 160, QImage::Format_RGB32);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 80; ++x) sheet.setPixel(x, y, qRgb(x * 3, y, (x ^ y) & 0xff));
    Fixture f(qRgb(1, 2, 3), sheet);
    f.surface.BitBlt(300, 200, 20, 10, 52, 45, RasterOp::SRCCOPY);
    f.surface.Flush();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(Px(f.surface.Image(), 300 + x, 200 + y), Px(sheet, 52 + x, 45 + y));
}

// Every copy is clipped to both pictures; the sanitizer build checks that no
// pixel outside them is read or written.
TEST(QtSurface, CopiesReachingOutsideEitherPictureAreClipped) {
    const QRgb bg = qRgb(10, 20, 30), src = qRgb(200, 100, 50);
    struct Case {
        const char* name;
        int32_t x, y, w, h, sx, sy;
        int changed;  // pixels of the image that the copy may change
    } cases[] = {
        {"left of the image", -5, 0, 10, 1, 0, 0, 5},
        {"above the image", 0, -3, 1, 5, 0, 0, 2},
        {"past the image's right edge", 635, 415, 10, 10, 0, 0, 25},
        {"left of the sheet", 100, 100, 10, 1, -4, 0, 6},
        {"past the sheet's bottom", 100, 100, 1, 10, 0, 155, 5},
        {"wider than the sheet", 0, 0, 200, 1, 0, 0, 80},
        {"far outside", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 0},
        {"huge size from the origin", 0, 0, INT32_MAX, INT32_MAX, 0, 0, 80 * 160},
        {"huge source corner", 0, 0, 10, 10, INT32_MAX, INT32_MAX, 0},
        {"most negative source", 0, 0, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, 0},
        {"negative size", 10, 10, -5, -5, 0, 0, 0},
        {"zero size", 10, 10, 0, 3, 0, 0, 0},
    };
    for (RasterOp op : {RasterOp::SRCCOPY, RasterOp::SRCAND, RasterOp::SRCPAINT}) {
        for (const Case& c : cases) {
            Fixture f(bg, Plain(80, 160, src));
            f.surface.BitBlt(c.x, c.y, c.w, c.h, c.sx, c.sy, op);
            const QRgb result = op == RasterOp::SRCCOPY  ? src
                                : op == RasterOp::SRCAND ? (bg & src)
                                                         : (bg | src);
            f.surface.Flush();
            EXPECT_EQ(CountNot(f.surface.Image(), bg), result == (bg | 0xff000000u) ? 0 : c.changed)
                << c.name << " op " << static_cast<int>(op);
        }
    }
}

TEST(QtSurface, SheetOfAnotherSizeIsAcceptedAndCopiesBeyondItLeaveTheImageAlone) {
    const QRgb bg = qRgb(90, 90, 90), src = qRgb(255, 0, 0);
    Fixture f(bg, Plain(10, 10, src));
    EXPECT_EQ(f.surface.Sheet().size(), QSize(10, 10));
    // The paddle rectangle of the real layout: only its 10 x 10 corner exists.
    f.surface.BitBlt(230, 390, 80, 15, 0, 0, RasterOp::SRCCOPY);
    f.surface.Flush();
    EXPECT_EQ(CountNot(f.surface.Image(), bg), 100);
    EXPECT_EQ(Px(f.surface.Image(), 239, 399), src | 0xff000000u);
    EXPECT_EQ(Px(f.surface.Image(), 240, 390), bg | 0xff000000u);
    // The ball's rectangle lies wholly outside: nothing changes.
    f.surface.Cls();
    f.surface.BitBlt(263, 374, 15, 15, 52, 30, RasterOp::SRCAND);
    f.surface.Flush();
    EXPECT_EQ(CountNot(f.surface.Image(), bg), 0);
}

TEST(QtSurface, CopiesBeforeAnySheetIsLoadedDrawNothing) {
    QtSurface surface(Plain(640, 420, qRgb(5, 5, 5)));
    surface.BitBlt(0, 0, 80, 160, 0, 0, RasterOp::SRCCOPY);
    surface.Flush();
    EXPECT_EQ(CountNot(surface.Image(), qRgb(5, 5, 5)), 0);
}

TEST(QtSurface, LoadingFailsWithThePathInTheMessage) {
    QTemporaryDir dir;
    const std::string missing = dir.filePath("Images/bitmaps.bmp").toStdString();
    const std::string text = dir.filePath("not a picture.bmp").toStdString();
    {
        QFile file(QString::fromStdString(text));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("this is not a bitmap\r\n");
    }
    const std::string png = dir.filePath("sheet.png.bmp").toStdString();
    ASSERT_TRUE(Plain(80, 160, qRgb(1, 1, 1)).save(QString::fromStdString(png), "PNG"));
    for (const std::string& path : {missing, text, png, dir.path().toStdString()}) {
        QtSurface surface(QImage{});
        std::string error;
        EXPECT_FALSE(surface.LoadBitmaps(path, error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_TRUE(surface.Sheet().isNull());
    }
}

TEST(QtSurface, LoadsFromAFolderWithSpacesAndNonAsciiCharacters) {
    QTemporaryDir dir;
    const QString folder =
        dir.filePath(QStringLiteral("Spiele Ordner \u00e4\u00f6\u00fc \u65e5\u672c/Images"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/bitmaps.bmp");
    ASSERT_TRUE(testpics::SyntheticSheet().convertToFormat(QImage::Format_RGB888).save(path, "BMP"));
    QtSurface surface(QImage{});
    std::string error;
    EXPECT_TRUE(surface.LoadBitmaps(path.toStdString(), error)) << error;
    EXPECT_EQ(surface.Sheet().size(), QSize(80, 160));
    EXPECT_EQ(Px(surface.Sheet(), 30, 20), qRgb(110, 90, 230));  // the 24-bit pixels, unchanged
}

TEST(QtSurface, FontSizesAreRealisedAsWholePixelsAt96Dpi) {
    QtSurface surface(QImage{});
    EXPECT_DOUBLE_EQ(surface.FontSize(), 9.75);  // the window font
    EXPECT_EQ(surface.FontPixels(), 13);
    struct Case {
        double asked;
        int pixels;
        double realised;
    } cases[] = {{9.75, 13, 9.75}, {7.75, 10, 7.5}, {18, 24, 18},  {24, 32, 24},
                 {8, 11, 8.25},    {0, 1, 0.75},    {-3, 1, 0.75}, {1e9, 256, 192}};
    for (const Case& c : cases) {
        surface.FontSize(c.asked);
        EXPECT_EQ(surface.FontPixels(), c.pixels) << c.asked;
        EXPECT_DOUBLE_EQ(surface.FontSize(), c.realised) << c.asked;
    }
}

TEST(QtSurface, LegendSizeTwoPointsDownAndUpRestoresTheWindowFont) {
    QtSurface surface(QImage{});
    for (int frame = 0; frame < 3; ++frame) {
        surface.FontSize(surface.FontSize() - 2);
        EXPECT_EQ(surface.FontPixels(), 10);
        surface.FontSize(surface.FontSize() + 2);
        EXPECT_DOUBLE_EQ(surface.FontSize(), 9.75);
    }
}

TEST(QtSurface, PrintDrawsForeColorTextAtTheCurrentPositionOnly) {
    const QRgb bg = qRgb(200, 200, 200);
    QtSurface surface(Plain(640, 420, bg));
    surface.Cls();
    surface.CurrentX(100);
    surface.CurrentY(50);
    surface.ForeColor(Rgb{255, 30, 30});
    surface.Print("Point Total:");
    surface.Flush();
    int inked = 0, solid = 0;
    for (int y = 0; y < 420; ++y) {
        for (int x = 0; x < 640; ++x) {
            const QRgb p = Px(surface.Image(), x, y);
            if (p == (bg | 0xff000000u)) continue;
            ++inked;
            solid += p == qRgb(255, 30, 30);
            // Text fills a line of 13-pixel type to the right of and below the corner.
            ASSERT_GE(x, 99);
            ASSERT_LT(x, 100 + 110);
            ASSERT_GE(y, 50);
            ASSERT_LT(y, 50 + 16);
        }
    }
    EXPECT_GT(inked, 60);
    EXPECT_GT(solid, 20);  // full-coverage pixels carry exactly ForeColor
    EXPECT_EQ(surface.CurrentX(), 0);
    EXPECT_GT(surface.CurrentY(), 50 + 12);
    EXPECT_LT(surface.CurrentY(), 50 + 20);
}

TEST(QtSurface, PrintHasNoBackgroundBoxAndSpacesDrawNothing) {
    QImage stripes(640, 420, QImage::Format_RGB32);
    for (int y = 0; y < 420; ++y)
        for (int x = 0; x < 640; ++x) stripes.setPixel(x, y, x % 2 ? qRgb(0, 0, 255) : qRgb(0, 255, 0));
    QtSurface surface(stripes);
    surface.Cls();
    surface.CurrentX(10);
    surface.CurrentY(10);
    surface.Print("     ");
    surface.Flush();
    EXPECT_EQ(surface.Image(), stripes);
    surface.CurrentX(10);
    surface.CurrentY(10);
    surface.Print(" -");  // the hyphen sits mid-height; the cell's corners stay as they were
    surface.Flush();
    EXPECT_EQ(Px(surface.Image(), 10, 10), Px(stripes, 10, 10));
    EXPECT_EQ(Px(surface.Image(), 11, 22), Px(stripes, 11, 22));
}

TEST(QtSurface, PrintAtAnyPositionStaysInsideTheImage) {
    QtSurface surface(Plain(640, 420, qRgb(0, 0, 0)));
    surface.ForeColor(Rgb{255, 255, 255});
    const int32_t positions[][2] = {{-5, -5},   {630, 410}, {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX},
                                    {-20, 200}, {600, -8}};
    for (const auto& p : positions) {
        surface.CurrentX(p[0]);
        surface.CurrentY(p[1]);
        surface.FontSize(24);
        surface.Print("WWW\xc3\xa4~\x01");
        if (p[1] == INT32_MAX) {
            EXPECT_EQ(surface.CurrentY(), INT32_MAX);  // the line step stops at the limit
        }
    }
}

TEST(QtSurface, OutlineIncludesBothCornersAndIsClipped) {
    const QRgb bg = qRgb(255, 255, 255);
    QtSurface surface(Plain(640, 420, bg));
    surface.Cls();
    surface.RectangleOutline(9, 9, 530, 410, Rgb{0, 0, 0});
    const QRgb black = qRgb(0, 0, 0);
    surface.Flush();
    for (auto [x, y] :
         {std::pair{9, 9}, {530, 9}, {9, 410}, {530, 410}, {9, 200}, {530, 200}, {270, 9}, {270, 410}})
        EXPECT_EQ(Px(surface.Image(), x, y), black) << x << "," << y;
    for (auto [x, y] : {std::pair{10, 10}, {529, 409}, {8, 9}, {531, 410}, {9, 411}, {270, 200}})
        EXPECT_EQ(Px(surface.Image(), x, y), bg) << x << "," << y;
    EXPECT_EQ(CountNot(surface.Image(), bg), 2 * 522 + 2 * 400);

    surface.Cls();
    surface.RectangleOutline(700, 500, -100, -50,
                             Rgb{0, 0, 0});  // swapped and outside: nothing inside shows
    surface.Flush();
    EXPECT_EQ(CountNot(surface.Image(), bg), 0);
    surface.RectangleOutline(INT32_MIN, 5, INT32_MAX, 5, Rgb{0, 0, 0});
    surface.Flush();
    EXPECT_EQ(CountNot(surface.Image(), bg), 640);
}

TEST(QtSurface, ClsRestoresTheBackgroundAndHomesThePosition) {
    const QImage background = testpics::TestBackground();
    QtSurface surface(background);
    surface.CurrentX(30);
    surface.CurrentY(40);
    surface.RectangleOutline(0, 0, 639, 419, Rgb{1, 2, 3});
    surface.Print("x");
    surface.Cls();
    surface.Flush();
    EXPECT_EQ(surface.Image(), background);
    EXPECT_EQ(surface.CurrentX(), 0);
    EXPECT_EQ(surface.CurrentY(), 0);
}

TEST(QtSurface, ASmallerBackgroundSitsAtTheTopLeftOverAPlainFace) {
    QtSurface surface(Plain(100, 50, qRgb(9, 9, 9)));
    surface.Cls();
    surface.Flush();
    EXPECT_EQ(surface.Image().size(), QSize(640, 420));
    EXPECT_EQ(Px(surface.Image(), 99, 49), qRgb(9, 9, 9));
    EXPECT_NE(Px(surface.Image(), 100, 49), qRgb(9, 9, 9));
}
