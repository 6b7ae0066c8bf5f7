#include "TestPictures.h"

#include <QFileInfo>
#include <cmath>

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
    Fill(sheet, 0, y, 52, 20, kBlack);
    Fill(sheet, 1, y + 1, 50, 18, colour);
}

void Token(QImage& sheet, int x, int y, QRgb colour, bool mask) {
    for (int j = 0; j < 25; ++j) {
        for (int i = 0; i < 25; ++i) {
            const double r = std::hypot(i - 12.0, j - 12.0);
            const bool inside = r <= 12.0;
            const bool slit = r >= 8.0 && r < 9.5 && (i + j) % 4 == 0;
            const bool solid = inside && !slit;
            sheet.setPixel(x + i, y + j, mask ? (solid ? kBlack : kWhite) : (solid ? colour : kBlack));
        }
    }
}

}  // namespace

QImage SyntheticSheet() {
    QImage sheet(80, 160, QImage::Format_RGB32);
    sheet.fill(kWhite);
    // Paddle mask: black but for the notches; image: trapezoid on black.
    Fill(sheet, 0, 0, 80, 15, kBlack);
    const int notch[4] = {4, 8, 11, 13};
    for (int k = 0; k < 4; ++k) {
        Fill(sheet, 0, 11 + k, notch[k], 1, kWhite);
        Fill(sheet, 80 - notch[k], 11 + k, notch[k], 1, kWhite);
    }
    Fill(sheet, 0, 15, 80, 15, kBlack);
    for (int row = 1; row <= 13; ++row) Fill(sheet, 1 + row, 15 + row, 76 - 2 * (row - 1), 1, qRgb(110, 90, 230));
    Brick(sheet, 30, qRgb(90, 90, 220));   // 100
    Brick(sheet, 50, qRgb(30, 170, 170));  // 200
    Brick(sheet, 70, qRgb(40, 190, 60));   // 300
    Brick(sheet, 90, qRgb(170, 220, 40));  // 500
    for (int j = 0; j < 15; ++j) {
        for (int i = 0; i < 15; ++i) {
            const bool solid = InDisc(i, j, 7.0, 7.2);
            sheet.setPixel(52 + i, 30 + j, solid ? kBlack : kWhite);
            sheet.setPixel(52 + i, 45 + j, solid ? qRgb(60, 110, 235) : kBlack);
        }
    }
    Token(sheet, 52, 60, 0, true);
    Token(sheet, 52, 85, qRgb(40, 200, 40), false);   // points5000
    Token(sheet, 0, 110, qRgb(40, 220, 230), false);  // extraLife
    Token(sheet, 25, 110, qRgb(220, 40, 40), false);  // drunkenBall
    Token(sheet, 50, 110, qRgb(40, 180, 40), false);  // points500
    Token(sheet, 0, 135, qRgb(40, 160, 40), false);   // points2000
    Token(sheet, 25, 135, qRgb(40, 140, 40), false);  // points1000
    Token(sheet, 50, 135, qRgb(50, 50, 70), false);   // strobeBall
    return sheet;
}

QImage TestBackground() {
    QImage picture(640, 420, QImage::Format_RGB32);
    for (int y = 0; y < 420; ++y) {
        for (int x = 0; x < 640; ++x) {
            QRgb c = qRgb(20, 30, 110);
            if (x >= 10 && x < 530 && y >= 10 && y < 410) {
                const int shade = ((x / 8) + (y / 8)) % 2 == 0 ? 205 : 190;  // mosaic
                c = qRgb(shade, shade, shade + 10);
            }
            const bool panel = x >= 537 && x <= 633 &&
                               ((y >= 76 && y <= 132) || (y >= 137 && y <= 171) || (y >= 176 && y <= 211));
            if (panel) c = qRgb(200, 200, 200);
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

}  // namespace testpics
