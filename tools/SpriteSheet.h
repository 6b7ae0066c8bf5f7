#pragma once
// The 80 x 160 sprite sheet: paddle, bricks, ball and bonus items at the
// rectangles of game/Constants.h the game copies from, white everywhere else.

#include <QImage>

namespace art {

QImage PaintSpriteSheet();

}  // namespace art
