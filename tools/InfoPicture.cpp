// Instructions page: the logo and "Info" at the top left (the Back to Main
// button sits lower in that column), the four sections of rules on the right.

#include "ArtKit.h"
#include "Logo.h"
#include "Pictures.h"
#include "Specials.h"
#include "windows/PictureText.h"

#include <QLinearGradient>

#include <algorithm>
#include <iterator>
#include <vector>

namespace art {

namespace {

namespace text = windows::picture_text;

const QColor kHeading(255, 205, 60);
const QColor kBody(225, 232, 250);
const QColor kName(150, 215, 255);
constexpr int kColumn = 164;     // left edge of the sections
constexpr int kColumnEnd = 488;  // right edge of the sections

struct Stamp {
    int x, y;
    game::SpecialKind kind;
};

void Page(QPainter& p, const QRect& r) {
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
int Heading(QPainter& p, const QString& title, int y) {
    const QRect ink = TextAt(p, title, Font(kSans, 14, true), QPoint(kColumn, y), kHeading);
    p.setPen(QColor(255, 205, 60, 110));
    p.drawLine(kColumn, y + ink.height() + 3, kColumnEnd, y + ink.height() + 3);
    return y + ink.height() + 7;
}

// Wrapped body text from y across the column (or from x); returns the y below it.
int Body(QPainter& p, const QString& text, int y, int x = kColumn,
         const QFont& font = Font(kSans, 11, false)) {
    return y + TextLines(p, text, font, QRect(x, y, kColumnEnd - x, 200),
                         Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, kBody);
}

void KeyCap(QPainter& p, const QRect& r, const QString& label) {
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
    TextLines(p, label, Font(kSans, 10, true), r.adjusted(0, -1, 0, -1), Qt::AlignCenter,
              QColor(20, 20, 30));
    p.restore();
}

int Controls(QPainter& p, int y) {
    // Where each key of kKeys sits: left of its cap from the column, down from y, cap width.
    struct Place {
        int x, dy, width;
    };
    const Place places[] = {{2, 2, 40}, {2, 25, 40}, {172, 2, 22}, {172, 25, 22}, {252, 2, 22}};
    static_assert(std::size(places) == std::size(text::kKeys));
    const QFont font = Font(kSans, 11, false);
    for (std::size_t i = 0; i < std::size(places); ++i) {
        const Place& at = places[i];
        const int x = kColumn + at.x;
        KeyCap(p, QRect(x, y + at.dy, at.width, 18), QString::fromLatin1(text::kKeys[i].key));
        TextLines(p, QString::fromLatin1(text::kKeys[i].action), font,
                  QRect(x + at.width + 8, y + at.dy, 140, 18), Qt::AlignVCenter | Qt::AlignLeft, kBody);
    }
    return y + 2 + 23 * 2;
}

int Bonuses(QPainter& p, int y, std::vector<Stamp>& stamps) {
    // The icons of the first three lines of kBonuses; the last line has the four point icons.
    const game::SpecialKind effects[] = {game::drunkenBall, game::strobeBall, game::extraLife};
    static_assert(std::size(effects) + 1 == std::size(text::kBonuses));
    const QFont nameFont = Font(kSans, 11, true);
    const QFont textFont = Font(kSans, 10, false);
    for (std::size_t i = 0; i < std::size(effects); ++i) {
        const text::BonusLine& line = text::kBonuses[i];
        stamps.push_back({kColumn + 2, y, effects[i]});
        TextAt(p, QString::fromLatin1(line.name), nameFont, QPoint(kColumn + 31, y + 1), kName);
        const int below = Body(p, QString::fromLatin1(line.text), y + 13, kColumn + 31, textFont);
        y = std::max(y + 30, below + 4);
    }
    const game::SpecialKind points[] = {game::points500, game::points1000, game::points2000,
                                        game::points5000};
    for (int i = 0; i < 4; ++i) stamps.push_back({kColumn + 2 + 27 * i, y, points[i]});
    const int textX = kColumn + 2 + 27 * 4 + 6;
    const text::BonusLine& extra = text::kBonuses[std::size(effects)];
    TextAt(p, QString::fromLatin1(extra.name), nameFont, QPoint(textX, y + 1), kName);
    return Body(p, QString::fromLatin1(extra.text), y + 13, textX, textFont);
}

}  // namespace

QImage PaintInfo() {
    QImage img = Canvas(500, 400, Qt::black);
    std::vector<Stamp> stamps;
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        Page(p, img.rect());
        PaintTitleLogo(p, QRectF(6, 14, 142, 75), false);
        TextInBox(p, QStringLiteral("Info"), Font(kSerif, 30, true, true), QRect(44, 100, 66, 28),
                  kHeading);

        int y = Heading(p, QString::fromLatin1(text::kObjectHeading), 16);
        y = Body(p, QString::fromLatin1(text::kObjectText), y) + 9;
        y = Heading(p, QString::fromLatin1(text::kControlsHeading), y);
        y = Controls(p, y) + 8;
        y = Heading(p, QString::fromLatin1(text::kComboHeading), y);
        y = Body(p, QString::fromLatin1(text::kComboText), y) + 9;
        y = Heading(p, QString::fromLatin1(text::kBonusHeading), y);
        y = Body(p, QString::fromLatin1(text::kBonusText), y) + 5;
        Bonuses(p, y, stamps);
    }
    for (const Stamp& s : stamps) StampSpecial(img, s.x, s.y, s.kind);
    return img;
}

}  // namespace art
