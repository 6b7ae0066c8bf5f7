#pragma once
// Writes a picture as a Windows bitmap the game's sheet loader expects:
// 24 bits per pixel, BI_RGB (uncompressed), rows bottom-up, padded to 4 bytes.

#include <QImage>
#include <QString>

namespace art {

bool WriteBmp24(const QImage& image, const QString& path);

}  // namespace art
