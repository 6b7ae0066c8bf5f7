#include "TestPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "game/Constants.h"
#include "game/GameState.h"

namespace testpics {

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

void Fill(QImage& image, int x, int y, int w, int h, QRgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) image.setPixel(i, j, c);
}

bool InDisc(int x, int y, double centre, double radius) {
    const double dx = x - centre, dy = y - centre;
    return dx * dx + dy * dy <= radius * radius;
}

void Brick(QImage& sheet, int y, QRgb colour) {
    Fill(sheet, game::kBrickSpriteX, y, game::kBrickWidth, game::kBrickHeight, kBlack);
    Fill(sheet, game::kBrickSpriteX + 1, y + 1, game::kBrickWidth - 2, game::kBrickHeight - 2, colour);
}

// A 25 x 25 disc with a ring of slits, as a mask or as an image of one colour.
void Special(QImage& sheet, int x, int y, QRgb colour, bool mask) {
    for (int j = 0; j < game::kSpecialMask.height; ++j) {
        for (int i = 0; i < game::kSpecialMask.width; ++i) {
            const double r = std::hypot(i - 12.0, j - 12.0);
            const bool inside = r <= 12.0;
            const bool slit = r >= 8.0 && r < 9.5 && (i + j) % 4 == 0;
            const bool solid = inside && !slit;
            sheet.setPixel(x + i, y + j, mask ? (solid ? kBlack : kWhite) : (solid ? colour : kBlack));
        }
    }
}

// The test sheet's colours, by brick points and by item kind.
QRgb BrickColour(int points) {
    switch (points) {
        case 100:
            return qRgb(90, 90, 220);
        case 200:
            return qRgb(30, 170, 170);
        case 300:
            return qRgb(40, 190, 60);
        default:
            return qRgb(170, 220, 40);
    }
}
constexpr QRgb kSpecialColours[8] = {
    0,                   // unused
    qRgb(40, 220, 230),  // extraLife
    qRgb(220, 40, 40),   // drunkenBall
    qRgb(40, 180, 40),   // points500
    qRgb(40, 140, 40),   // points1000
    qRgb(40, 160, 40),   // points2000
    qRgb(40, 200, 40),   // points5000
    qRgb(50, 50, 70),    // strobeBall
};

}  // namespace

QImage SyntheticSheet() {
    using namespace game;
    QImage sheet(kSheetWidth, kSheetHeight, QImage::Format_RGB32);
    sheet.fill(kWhite);
    // Paddle mask: black but for the notches; image: trapezoid on black.
    const SheetRect mask = kPaddleMask, paddle = kPaddleSprite;
    Fill(sheet, mask.x, mask.y, mask.width, mask.height, kBlack);
    const int firstNotched = mask.height - static_cast<int>(kPaddleMaskNotches.size());
    for (int k = 0; k < static_cast<int>(kPaddleMaskNotches.size()); ++k) {
        const int notch = kPaddleMaskNotches[k];
        Fill(sheet, mask.x, mask.y + firstNotched + k, notch, 1, kWhite);
        Fill(sheet, mask.x + mask.width - notch, mask.y + firstNotched + k, notch, 1, kWhite);
    }
    Fill(sheet, paddle.x, paddle.y, paddle.width, paddle.height, kBlack);
    for (int row = 1; row <= 13; ++row)
        Fill(sheet, paddle.x + 1 + row, paddle.y + row, paddle.width - 4 - 2 * (row - 1), 1,
             qRgb(110, 90, 230));
    for (const BrickLook& look : kBrickLooks) Brick(sheet, look.spriteY, BrickColour(look.points));
    for (int j = 0; j < kBallSprite.height; ++j) {
        for (int i = 0; i < kBallSprite.width; ++i) {
            const bool solid = InDisc(i, j, 7.0, 7.2);
            sheet.setPixel(kBallMask.x + i, kBallMask.y + j, solid ? kBlack : kWhite);
            sheet.setPixel(kBallSprite.x + i, kBallSprite.y + j, solid ? qRgb(60, 110, 235) : kBlack);
        }
    }
    Special(sheet, kSpecialMask.x, kSpecialMask.y, 0, true);
    for (int kind = extraLife; kind <= strobeBall; ++kind)
        Special(sheet, kSpecialLooks[kind].spriteX, kSpecialLooks[kind].spriteY, kSpecialColours[kind],
                false);
    return sheet;
}

QImage TestBackground() {
    using namespace game;
    QImage picture(640, 420, QImage::Format_RGB32);
    for (int y = 0; y < 420; ++y) {
        for (int x = 0; x < 640; ++x) {
            QRgb c = qRgb(20, 30, 110);
            if (x >= kLeftWall && x < kRightWall && y >= kCeiling && y < kFloor) {
                const int shade = ((x / 8) + (y / 8)) % 2 == 0 ? 205 : 190;  // mosaic
                c = qRgb(shade, shade, shade + 10);
            }
            for (const PanelBox& box : kStatusPanels) {
                if (x >= box.left && x <= box.right && y >= box.top && y <= box.bottom)
                    c = qRgb(200, 200, 200);
            }
            picture.setPixel(x, y, c);
        }
    }
    return picture;
}

std::string CommittedSheetPath() {
    const std::string path = std::string(TILEBASH_SOURCE_DIR) + "/Images/bitmaps.bmp";
    return QFileInfo(QString::fromStdString(path)).isFile() ? path : std::string();
}

std::string SaveBmp(const QImage& picture, const QTemporaryDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    picture.convertToFormat(QImage::Format_RGB888).save(path, "BMP");
    return path.toStdString();
}

std::string LoadSheet(QtGame& g, const QImage& sheet, bool committed) {
    const QTemporaryDir dir;
    std::string path = committed ? CommittedSheetPath() : std::string();
    if (path.empty()) path = SaveBmp(sheet, dir, "bitmaps.bmp");
    std::string error;
    return g.surface.LoadBitmaps(path, error) ? std::string() : error;
}

ProgramDir::ProgramDir(const QString& name) {
    const QString root = dir.filePath(name);
    QDir().mkpath(root + "/Images");
    const QString path = root + "/Images/bitmaps.bmp";
    const std::string committed = CommittedSheetPath();
    if (!committed.empty()) {
        QFile::copy(QString::fromStdString(committed), path);
    } else {
        SyntheticSheet().convertToFormat(QImage::Format_RGB888).save(path, "BMP");
    }
    folder = root.toStdString();
    sheet = path.toStdString();
}

}  // namespace testpics
