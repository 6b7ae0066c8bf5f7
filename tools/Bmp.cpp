#include "Bmp.h"

#include <QFile>

#include <cstdint>
#include <vector>

namespace art {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFFu));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFFu));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

}  // namespace

bool WriteBmp24(const QImage& image, const QString& path) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<uint32_t>(rgb.width());
    const auto height = static_cast<uint32_t>(rgb.height());
    const uint32_t rowBytes = (width * 3u + 3u) & ~3u;
    const uint32_t pixelBytes = rowBytes * height;

    std::vector<uint8_t> out;
    out.reserve(kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    Put32(out, 0);  // reserved
    Put32(out, kFileHeaderSize + kInfoHeaderSize);
    Put32(out, kInfoHeaderSize);
    Put32(out, width);
    Put32(out, height);  // positive: bottom-up rows
    Put16(out, 1);       // planes
    Put16(out, 24);      // bits per pixel
    Put32(out, 0);       // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, 0);  // palette colours
    Put32(out, 0);  // important colours

    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            out.push_back(static_cast<uint8_t>(qBlue(line[x])));
            out.push_back(static_cast<uint8_t>(qGreen(line[x])));
            out.push_back(static_cast<uint8_t>(qRed(line[x])));
        }
        for (uint32_t pad = width * 3u; pad < rowBytes; ++pad) out.push_back(0);
    }

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto written =
        file.write(reinterpret_cast<const char*>(out.data()), static_cast<qint64>(out.size()));
    return written == static_cast<qint64>(out.size());
}

}  // namespace art
