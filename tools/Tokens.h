#pragma once
// The bonus tokens: one 25 x 25 mask shared by all kinds and one image per kind.
// The sprite sheet and the instructions page both draw them from here.

#include <QImage>

namespace art {

enum class TokenKind { extraLife = 1, drunkenBall, points500, points1000, points2000, points5000, strobeBall };

inline constexpr int kTokenSize = 25;

// True where the background shows through the token: outside its disc and in
// the ring of slits near its rim.
bool TokenSeeThrough(int x, int y);

// The token's image under the mask convention: its colours where the mask is
// solid, pure black where the background shows through.
QImage TokenImage(TokenKind kind);

// The token as the game draws it: the image over `target` at (x, y), leaving the
// see-through pixels of `target` untouched.
void StampToken(QImage& target, int x, int y, TokenKind kind);

} // namespace art
