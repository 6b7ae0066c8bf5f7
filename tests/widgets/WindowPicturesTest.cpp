// Checks the windows' built-in pictures: sizes, the areas the game and the
// controls rely on, and that the resources hold the committed files.

#include "windows/Resources.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRect>
#include <QString>

#include <algorithm>
#include <vector>

#include "GeometryPrinters.h"
#include "PictureFiles.h"
#include "game/Constants.h"

namespace {

using widget_test::BuiltInPicture;
using widget_test::SourcePath;

int MinChannel(QRgb c) {
    return std::min({qRed(c), qGreen(c), qBlue(c)});
}
int MaxChannel(QRgb c) {
    return std::max({qRed(c), qGreen(c), qBlue(c)});
}
bool LightGrey(QRgb c) {
    return MinChannel(c) >= 140 && MaxChannel(c) - MinChannel(c) <= 30;
}
bool FrameBlue(QRgb c) {
    return qBlue(c) >= qRed(c) + 40 && qBlue(c) >= qGreen(c) + 30;
}

// Calls check(x, y) for every pixel of r.
template <typename F>
void ForEachPixel(const QRect& r, F check) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) check(x, y);
}

struct PictureFile {
    const char* name;
    QSize size;
    bool transparent;
};

const std::vector<PictureFile> kPictures{
    {"splash.png", {320, 400}, false},    {"info.png", {500, 400}, false},
    {"playfield.png", {640, 420}, false}, {"icon32.png", {32, 32}, true},
    {"icon24.png", {24, 24}, true},       {"icon16.png", {16, 16}, true},
};

TEST(WindowPictures, ResourcesHoldTheCommittedFilesAtTheirSizes) {
    for (const PictureFile& p : kPictures) {
        QFile resource(QStringLiteral(":/pictures/") + p.name);
        QFile committed(SourcePath(QStringLiteral("windows/pictures/") + p.name));
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly)) << p.name;
        ASSERT_TRUE(committed.open(QIODevice::ReadOnly)) << p.name;
        EXPECT_EQ(resource.readAll(), committed.readAll()) << p.name;
        const QImage img(QStringLiteral(":/pictures/") + p.name);
        EXPECT_EQ(img.size(), p.size) << p.name;
        EXPECT_EQ(img.hasAlphaChannel(), p.transparent) << p.name;
    }
}

TEST(WindowPictures, ExplicitResourceInitIsHarmlessAndKeepsPicturesLoadable) {
    InitWindowsResources();
    InitWindowsResources();
    EXPECT_EQ(QImage(QStringLiteral(":/pictures/playfield.png")).size(), QSize(640, 420));
}

TEST(WindowPictures, IconsAreClearAtTheCornersAndOpaqueInTheMiddle) {
    for (const PictureFile& p : kPictures) {
        if (!p.transparent) continue;
        const QImage icon =
            QImage(QStringLiteral(":/pictures/") + p.name).convertToFormat(QImage::Format_ARGB32);
        const int last = icon.width() - 1, mid = icon.width() / 2;
        for (const QPoint c : {QPoint(0, last), QPoint(last, last)})
            EXPECT_EQ(qAlpha(icon.pixel(c)), 0) << p.name;
        EXPECT_EQ(qAlpha(icon.pixel(mid, mid)), 255) << p.name;
    }
}

TEST(PlayfieldPicture, MosaicFillsExactlyThePlayArea) {
    const QImage img = BuiltInPicture("playfield.png");
    const QRect play(QPoint(10, 10), QPoint(529, 409));
    ForEachPixel(play, [&](int x, int y) {
        const bool border = x == play.left() || x == play.right() || y == play.top() || y == play.bottom();
        if (border) {
            EXPECT_TRUE(LightGrey(img.pixel(x, y))) << "mosaic edge " << x << "," << y;
        } else {
            EXPECT_GE(qGray(img.pixel(x, y)), 120) << "mosaic " << x << "," << y;
        }
    });
    ForEachPixel(play.adjusted(-1, -1, 1, 1), [&](int x, int y) {
        if (play.contains(x, y)) return;
        EXPECT_TRUE(FrameBlue(img.pixel(x, y))) << "frame " << x << "," << y;
    });
}

TEST(PlayfieldPicture, StatusPanelsAreLightAndTheLegendAreaIsDark) {
    const QImage img = BuiltInPicture("playfield.png");
    // Black status texts print over the panels, the grey legend under them.
    for (const game::PanelBox& box : game::kStatusPanels)
        ForEachPixel(QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom)).adjusted(2, 2, -2, -2),
                     [&](int x, int y) {
                         EXPECT_GE(MinChannel(img.pixel(x, y)), 170) << "panel " << x << "," << y;
                     });
    ForEachPixel(QRect(QPoint(540, 218), QPoint(633, 282)), [&](int x, int y) {
        EXPECT_LE(qGray(img.pixel(x, y)), 80) << "legend " << x << "," << y;
    });
}

TEST(SplashPicture, HeadingAndVersionInkTheirRectanglesAndControlAreasArePlainDark) {
    const QImage img = BuiltInPicture("splash.png");
    for (int x = 84; x <= 240; ++x) EXPECT_EQ(img.pixel(x, 186) | 0xFF000000u, 0xFFFFFFFFu) << x;
    // The pixels at least half white around each word span exactly its rectangle.
    const auto inked = [&](const QRect& around) {
        QRect ink;
        ForEachPixel(around, [&](int x, int y) {
            if (MinChannel(img.pixel(x, y)) >= 128) ink |= QRect(x, y, 1, 1);
        });
        return ink;
    };
    EXPECT_EQ(inked(QRect(QPoint(64, 160), QPoint(200, 185))), QRect(QPoint(84, 176), QPoint(153, 185)))
        << "High Scores heading";
    EXPECT_EQ(inked(QRect(QPoint(100, 308), QPoint(169, 329))), QRect(QPoint(125, 316), QPoint(164, 323)))
        << "Version";
    // White control texts go over these areas: buttons, score table, version label.
    for (const QRect& area :
         {QRect(QPoint(24, 128), QPoint(296, 168)), QRect(QPoint(48, 192), QPoint(265, 307)),
          QRect(QPoint(170, 313), QPoint(202, 328))})
        ForEachPixel(area,
                     [&](int x, int y) { EXPECT_LE(MaxChannel(img.pixel(x, y)), 120) << x << "," << y; });
}

TEST(InfoPicture, BackToMainButtonSitsOnPlainBlue) {
    const QImage img = BuiltInPicture("info.png");
    ForEachPixel(QRect(16, 352, 113, 41), [&](int x, int y) {
        const QRgb c = img.pixel(x, y);
        EXPECT_TRUE(qBlue(c) > qRed(c) && MaxChannel(c) <= 120) << x << "," << y;
    });
}

}  // namespace
