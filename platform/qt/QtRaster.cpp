#include "platform/qt/QtRaster.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cstring>

#include "platform/qt/SurfacePixels.h"

namespace platform::qt {

using draw::Box;
using draw::DrawOp;

namespace {

const QRgb kFaceColour = qRgb(240, 240, 240);  // hidden under the picture
// Pixel sizes the game prints at: legend 7.75 pt, window 9.75, "Paused" 18, title 24.
constexpr int32_t kPreparedPixels[] = {10, 13, 24, 32};

// Each pixel becomes a scale x scale block: nearest neighbour, exact.
QImage Enlarged(const QImage& image, int32_t scale) {
    if (scale == 1 || image.isNull()) return image;
    return image.scaled(image.width() * scale, image.height() * scale, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

}  // namespace

QtRaster::QtRaster(const QImage& background, draw::DamageList& changed)
    : picture_(background.isNull() ? QImage() : background.convertToFormat(QImage::Format_RGB32)),
      changed_(changed) {
    atlases_.reserve(16);
    fonts_.reserve(16);
    BuildImages();
}

QtRaster::~QtRaster() = default;

void QtRaster::BuildImages() {
    const int w = kWidth * scale_, h = kHeight * scale_;
    QImage plain(kWidth, kHeight, QImage::Format_RGB32);
    plain.fill(kFaceColour);
    if (!picture_.isNull()) {
        const int pw = std::min(picture_.width(), kWidth);
        const int ph = std::min(picture_.height(), kHeight);
        for (int y = 0; y < ph; ++y) {
            std::memcpy(plain.scanLine(y), picture_.constScanLine(y),
                        static_cast<std::size_t>(pw) * sizeof(QRgb));
        }
    }
    background_ = Enlarged(plain, scale_);
    image_ = background_.copy();
    for (QImage* im : {&image_, &background_}) im->setDevicePixelRatio(scale_);
    Q_ASSERT(image_.width() == w && image_.height() == h);
    sheetScaled_ = Enlarged(sheet_, scale_);
    for (const auto& font : fonts_) font->pixels = &AtlasFor(font->metrics->PixelSize() * scale_);
    for (int32_t pixels : kPreparedPixels) FontFor(pixels);
    drawn_.Clear();
    changed_.Clear();
    changed_.AddAll();
}

void QtRaster::SetScale(int32_t scale) {
    scale_ = std::clamp<int32_t>(scale, 1, kMaxScale);
    BuildImages();
}

QImage QtRaster::ReadSheet(const std::string& path, std::string& error) {
    const QString file = QString::fromStdString(path);  // UTF-8
    if (!QFileInfo(file).isFile()) {
        error = "Cannot load the sprite sheet \"" + path + "\": the file does not exist.";
        return {};
    }
    QImageReader reader(file, "bmp");
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);
    QImage picture = reader.read();
    if (picture.isNull()) {
        error = "Cannot load the sprite sheet \"" + path + "\": " + reader.errorString().toStdString() +
                " (a Windows bitmap is expected).";
        return {};
    }
    // Converted once here, so every copy during play is a plain word operation.
    return picture.convertToFormat(QImage::Format_RGB32);
}

void QtRaster::SetSheet(const QImage& sheet) {
    sheet_ = sheet;
    sheetScaled_ = Enlarged(sheet_, scale_);
}

const GlyphAtlas& QtRaster::AtlasFor(int32_t pixels) {
    for (const auto& atlas : atlases_) {
        if (atlas->PixelSize() == pixels) return *atlas;
    }
    // A size not prepared: built once, on its first use.
    atlases_.push_back(std::make_unique<GlyphAtlas>(pixels));
    return *atlases_.back();
}

const draw::Font& QtRaster::FontFor(int32_t pixels) {
    const GlyphAtlas& metrics = AtlasFor(pixels);
    for (const auto& known : fonts_) {
        if (known->metrics == &metrics) return *known;
    }
    fonts_.push_back(std::make_unique<draw::Font>(draw::Font{&metrics, &AtlasFor(pixels * scale_)}));
    return *fonts_.back();
}

void QtRaster::Touch(const Box& box) {
    drawn_.Add(box);
    if (noteChanges_) changed_.Add(box);
}

void QtRaster::Clear() {
    PixelRows dst(image_);
    const PixelRows src(background_);
    if (drawn_.All()) {
        std::memcpy(image_.bits(), background_.constBits(), static_cast<std::size_t>(image_.sizeInBytes()));
        if (noteChanges_) changed_.AddAll();
    } else {
        for (const Box& b : drawn_.Boxes()) {
            if (noteChanges_) changed_.Add(b);
            const auto bytes = static_cast<std::size_t>(b.right - b.left) * sizeof(QRgb);
            for (int32_t y = b.top; y < b.bottom; ++y)
                std::memcpy(dst.At(b.left, y), src.At(b.left, y), bytes);
        }
    }
    drawn_.Clear();
}

void QtRaster::NoteChange(const draw::DrawList& list, const DrawOp& op) {
    switch (op.kind) {
        case DrawOp::Kind::Print:
            redraw_.Add(PrintBox(op, list.TextOf(op)));
            break;
        case DrawOp::Kind::Outline:
            for (const Box& edge : OutlineEdges(op)) redraw_.Add(edge);
            break;
        case DrawOp::Kind::Blit:
            redraw_.Add(BlitBox(op));
            break;
    }
}

}  // namespace platform::qt
