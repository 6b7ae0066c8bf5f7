#pragma once
// The bonus items ("specials"): one 25 x 25 mask shared by all kinds and one
// image per kind. The sprite sheet, the instructions page and the players'
// guide picture all draw them from here.

#include "game/Constants.h"
#include "game/GameState.h"

#include <QImage>

namespace art {

inline constexpr int kSpecialSize = game::kSpecialMask.width;
static_assert(game::kSpecialMask.height == kSpecialSize, "the item is drawn as a disc");

// True where the background shows through the item: outside its disc and in
// the ring of slits near its rim.
bool SpecialSeeThrough(int x, int y);

// The item's image under the mask convention: its colours where the mask is
// solid, pure black where the background shows through.
QImage SpecialImage(game::SpecialKind kind);

// The item as the game draws it: the image over `target` at (x, y), leaving the
// see-through pixels of `target` untouched.
void StampSpecial(QImage& target, int x, int y, game::SpecialKind kind);

}  // namespace art
