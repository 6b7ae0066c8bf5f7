// Play-field background: a blue frame around a light grey stone mosaic that
// fills exactly the play area (x 10-529, y 10-409), and a dark blue side bar
// with the logo, three light panels for the status texts, room for the key
// legend and the maker's badge.

#include "ArtKit.h"
#include "Logo.h"
#include "Pictures.h"

#include "game/Constants.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace art {

namespace {

const QRect kPlayArea(game::kLeftWall, game::kCeiling, game::kRightWall - game::kLeftWall,
                      game::kFloor - game::kCeiling);
const QRect kSideBar(534, 3, 104, 414);
const QColor kFrame(32, 58, 158);
const QColor kSideBarBlue(8, 16, 66);

// Stateless hash so the mosaic is the same on every run.
uint32_t Hash(uint32_t a, uint32_t b, uint32_t salt) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ salt * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double Unit(uint32_t h) {
    return (h & 0xFFFFu) / 65535.0;
}

constexpr double kStone = 15.0;  // mosaic cell size in pixels

struct Seed {
    double x, y;
    int shade;
};

Seed SeedOf(int i, int j) {
    const auto ui = static_cast<uint32_t>(i + 100), uj = static_cast<uint32_t>(j + 100);
    return {(i + 0.18 + 0.64 * Unit(Hash(ui, uj, 1))) * kStone,
            (j + 0.18 + 0.64 * Unit(Hash(ui, uj, 2))) * kStone, static_cast<int>(Hash(ui, uj, 3) % 16u)};
}

QRgb MosaicPixel(int px, int py) {
    const double u = px + 0.5, v = py + 0.5;
    const int ci = static_cast<int>(u / kStone), cj = static_cast<int>(v / kStone);
    Seed best{}, second{};
    double d1 = 1e9, d2 = 1e9;
    for (int j = cj - 2; j <= cj + 2; ++j)
        for (int i = ci - 2; i <= ci + 2; ++i) {
            const Seed s = SeedOf(i, j);
            const double d = (s.x - u) * (s.x - u) + (s.y - v) * (s.y - v);
            if (d < d1) {
                second = best;
                d2 = d1;
                best = s;
                d1 = d;
            } else if (d < d2) {
                second = s;
                d2 = d;
            }
        }
    // Distance from the pixel to the border between its stone and the nearest neighbour.
    const double gap = std::hypot(second.x - best.x, second.y - best.y);
    const double edge = (d2 - d1) / (2.0 * gap);
    const double nx = (second.x - best.x) / gap, ny = (second.y - best.y) / gap;

    double grey = 204 + best.shade;
    grey += 6.0 * ((best.x - u) + (best.y - v)) / kStone;                     // lit from the upper left
    if (edge < 2.6) grey += (nx + ny > 0 ? -7.0 : 7.0) * (2.6 - edge) / 2.6;  // rounded stone edges
    grey = std::clamp(grey, 150.0, 240.0);
    const QColor stone(static_cast<int>(grey), static_cast<int>(grey),
                       static_cast<int>(grey + 5 > 245 ? 245 : grey + 5));
    const QColor grout(168, 170, 182);
    const double t = std::clamp((edge - 0.35) / 0.9, 0.0, 1.0);
    return Mix(grout, stone, t).rgb();
}

void Mosaic(QImage& img) {
    for (int y = 0; y < kPlayArea.height(); ++y)
        for (int x = 0; x < kPlayArea.width(); ++x)
            img.setPixel(kPlayArea.x() + x, kPlayArea.y() + y, MosaicPixel(x, y));

    // The faded logo, painted on its own layer so its shadow and outline fade with it.
    QImage layer(kPlayArea.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        PaintTitleLogo(lp, QRectF(110, 120, 300, 158), false);
    }
    QPainter p(&img);
    p.setOpacity(0.17);
    p.drawImage(kPlayArea.topLeft(), layer);
}

void Frame(QPainter& p, const QRect& all) {
    QLinearGradient g(all.topLeft(), all.bottomRight());
    g.setColorAt(0.0, kFrame.lighter(120));
    g.setColorAt(1.0, kFrame.darker(125));
    p.fillRect(all, g);
    p.setPen(QColor(110, 145, 240));
    p.drawLine(0, 0, all.right(), 0);
    p.drawLine(0, 0, 0, all.bottom());
    p.setPen(QColor(6, 10, 45));
    p.drawLine(0, all.bottom(), all.right(), all.bottom());
    p.drawLine(all.right(), 0, all.right(), all.bottom());
    // Sunken lip just outside the play area.
    const QRect lip = kPlayArea.adjusted(-3, -3, 2, 2);
    p.setPen(QColor(12, 22, 85));
    p.drawRect(lip);
    p.setPen(QColor(20, 36, 120));
    p.drawRect(lip.adjusted(1, 1, -1, -1));
    p.setPen(QColor(16, 30, 105));
    p.drawRect(lip.adjusted(2, 2, -2, -2));
}

void SideBar(QPainter& p) {
    SunkenPanel(p, kSideBar, kSideBarBlue, 1);
    QLinearGradient g(kSideBar.topLeft(), kSideBar.bottomLeft());
    g.setColorAt(0.0, QColor(14, 26, 92));
    g.setColorAt(1.0, QColor(5, 9, 45));
    p.fillRect(kSideBar.adjusted(1, 1, -1, -1), g);

    PaintTitleLogo(p, QRectF(535, 14, 101, 54), true);
    // Behind "Point Total:" and the score, "Lives:", and "Level:".
    for (const game::PanelBox& box : game::kStatusPanels)
        BevelPanel(p, QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom)),
                   QColor(206, 210, 222), 2);
    PaintMakerLogo(p, QRectF(538, 376, 94, 36));
}

}  // namespace

QImage PaintPlayfield() {
    QImage img = Canvas(640, 420, kFrame);
    {
        QPainter p(&img);
        Frame(p, img.rect());
        SideBar(p);
    }
    Mosaic(img);
    return img;
}

}  // namespace art
