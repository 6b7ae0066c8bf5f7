#pragma once
// The windows' background pictures, the program icon and the players' guide
// to the bonus items.

#include <QImage>

namespace art {

QImage PaintSplash();                            // start window, 320 x 400
QImage PaintInfo();                              // instructions page, 500 x 400
QImage PaintPlayfield();                         // play-field window, 640 x 420
QImage PaintIcon(int size);                      // program icon, size x size with transparency
QImage PaintSpecialsGuide(const QImage& sheet);  // the seven item images of the sheet, for the README

}  // namespace art
