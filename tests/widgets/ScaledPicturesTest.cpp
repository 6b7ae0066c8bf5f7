// On a screen scaled by a whole number the windows' pictures stay pixel art:
// each picture pixel becomes an n x n block of exactly its colour.

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

#include "MenuTestSupport.h"
#include "PictureFiles.h"
#include "menu/frmInfo.h"

namespace {

using widget_test::BuiltInPicture;

// The window drawn as a backing store of that scale would hold it.
QImage RenderAtScale(QWidget& window, int scale) {
    QImage image(window.size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::magenta);
    window.render(&image);
    return image;
}

// How many device pixels in the picture-only area differ from the picture
// pixel they enlarge.
int PixelsOffTheirBlock(const QImage& shown, const QImage& picture, const QRect& area, int scale) {
    int off = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb want = picture.pixel(x, y) | 0xff000000u;
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    if (shown.pixel(x * scale + dx, y * scale + dy) != want) ++off;
                }
            }
        }
    }
    return off;
}

TEST(ScaledPictures, StartAndInfoPicturesEnlargeAsWholeBlocksAtTwoAndThreeTimes) {
    menu_test::MenuFixture fixture;
    frmSplash& splash = fixture.Create();
    frmInfo info(splash);
    struct Case {
        const char* what;
        QWidget& window;
        QImage picture;
        QRect pictureOnly;  // no control covers it
    };
    const Case cases[] = {
        {"start window, title logo", splash, BuiltInPicture("splash.png"), QRect(0, 0, 320, 126)},
        {"information window, all but the button's row", info, BuiltInPicture("info.png"),
         QRect(0, 0, 500, 350)},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.picture.isNull()) << c.what;
        for (int scale : {1, 2, 3}) {
            const QImage shown = RenderAtScale(c.window, scale);
            EXPECT_EQ(PixelsOffTheirBlock(shown, c.picture, c.pictureOnly, scale), 0)
                << c.what << " at " << scale << "x";
        }
    }
}

}  // namespace
