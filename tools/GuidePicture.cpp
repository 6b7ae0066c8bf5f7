// The players' guide to the bonus items (docs/specials.png, shown in the
// README): the seven item images cut out of the sprite sheet in kind order,
// each three times its size, side by side on the dark blue of the pages.

#include "Pictures.h"

#include "game/Constants.h"
#include "game/GameState.h"

#include <QPainter>

namespace art {

QImage PaintSpecialsGuide(const QImage& sheet) {
    constexpr int kScale = 3;
    constexpr int kBorder = 6;
    const QColor background(0x10, 0x18, 0x30);
    const int w = game::kSpecialMask.width * kScale, h = game::kSpecialMask.height * kScale;
    const int kinds = game::strobeBall - game::extraLife + 1;
    QImage guide(kinds * (w + 2 * kBorder), h + 2 * kBorder, QImage::Format_RGB888);
    guide.fill(background);
    QPainter p(&guide);
    for (int kind = game::extraLife; kind <= game::strobeBall; ++kind) {
        const game::SpecialLook& look = game::kSpecialLooks[kind];
        const QImage item =
            sheet.copy(look.spriteX, look.spriteY, game::kSpecialMask.width, game::kSpecialMask.height);
        // Whole-pixel enlargement: every sheet pixel becomes a 3 x 3 block of its colour.
        p.drawImage(QPoint((kind - game::extraLife) * (w + 2 * kBorder) + kBorder, kBorder),
                    item.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    return guide;
}

}  // namespace art
