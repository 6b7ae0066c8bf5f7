#include "platform/qt/QtSurface.h"

#include <QFileInfo>
#include <QImageReader>
#include <QRegion>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/qt/SurfacePixels.h"

namespace platform::qt {

namespace {

// Points are realised as whole pixels at 96 dpi, whatever the screen.
constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr int32_t kMinPixels = 1;
constexpr int32_t kMaxPixels = 256;  // keeps an absurd request from building a huge atlas
// Sizes the game prints at: legend 7.75 pt, window 9.75, "Paused" 18, title 24.
constexpr int32_t kPreparedPixels[] = {10, 13, 24, 32};
const QRgb kFaceColour = qRgb(240, 240, 240);  // hidden under the picture

int32_t PixelsFor(double points) {
    if (!std::isfinite(points)) return kMinPixels;
    const double pixels = std::round(points * kPixelsPerPoint);
    return static_cast<int32_t>(std::clamp(pixels, double{kMinPixels}, double{kMaxPixels}));
}

// Each pixel becomes a scale x scale block: nearest neighbour, exact.
QImage Enlarged(const QImage& image, int32_t scale) {
    if (scale == 1 || image.isNull()) return image;
    return image.scaled(image.width() * scale, image.height() * scale, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

}  // namespace

QtSurface::QtSurface(const QImage& background, QWidget* owner)
    : picture_(background.isNull() ? QImage() : background.convertToFormat(QImage::Format_RGB32)),
      owner_(owner) {
    atlases_.reserve(16);
    BuildImages();
}

QtSurface::~QtSurface() = default;

void QtSurface::BuildImages() {
    const int w = kWidth * scale_, h = kHeight * scale_;
    QImage plain(kWidth, kHeight, QImage::Format_RGB32);
    plain.fill(kFaceColour);
    if (!picture_.isNull()) {
        const int pw = std::min(picture_.width(), kWidth);
        const int ph = std::min(picture_.height(), kHeight);
        for (int y = 0; y < ph; ++y) {
            std::memcpy(plain.scanLine(y), picture_.constScanLine(y), static_cast<std::size_t>(pw) * sizeof(QRgb));
        }
    }
    background_ = Enlarged(plain, scale_);
    image_ = background_.copy();
    for (QImage* im : {&image_, &background_}) im->setDevicePixelRatio(scale_);
    Q_ASSERT(image_.width() == w && image_.height() == h);
    sheetScaled_ = Enlarged(sheet_, scale_);
    for (int32_t pixels : kPreparedPixels) FontFor(pixels);
    font_ = FontFor(PixelsFor(kWindowFontPoints));
    pending_->Clear(false);
    doneValid_ = false;
    drawn_.Clear();
    changed_.Clear();
    changed_.AddAll();
}

void QtSurface::SetScale(int32_t scale) {
    scale = std::clamp<int32_t>(scale, 1, kMaxScale);
    if (scale == scale_) return;
    const int32_t pixels = font_.metrics->PixelSize();
    scale_ = scale;
    BuildImages();
    font_ = FontFor(pixels);
    Present();
}

bool QtSurface::LoadBitmaps(const std::string& path, std::string& error) {
    const QString file = QString::fromStdString(path);  // UTF-8
    if (!QFileInfo(file).isFile()) {
        error = "Cannot load the sprite sheet \"" + path + "\": the file does not exist.";
        return false;
    }
    QImageReader reader(file, "bmp");
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);
    QImage picture = reader.read();
    if (picture.isNull()) {
        error = "Cannot load the sprite sheet \"" + path + "\": " +
                reader.errorString().toStdString() + " (a Windows bitmap is expected).";
        return false;
    }
    Flush();  // drawing recorded before uses the sheet it had
    doneValid_ = false;
    // Converted once here, so every copy during play is a plain word operation.
    sheet_ = picture.convertToFormat(QImage::Format_RGB32);
    sheetScaled_ = Enlarged(sheet_, scale_);
    return true;
}

void QtSurface::Touch(const Box& box) {
    drawn_.Add(box);
    if (noteChanges_) changed_.Add(box);
}

void QtSurface::Cls() {
    // Whatever was recorded since the last picture is wiped by the clear.
    pending_->Clear(true);
    currentX_ = 0;
    currentY_ = 0;
}

// An opaque copy decides every pixel of its box whatever lay there before,
// so a box it covers whole need not be restored first: a standing brick,
// drawn again at its place, is copied once a frame instead of twice.
bool QtSurface::CoveredByOpaqueCopy(const Box& box) {
    const Box& all = opaqueBounds_;  // the panel's texts, the paddle and the outline lie outside
    if (box.left < all.left || box.top < all.top || box.right > all.right || box.bottom > all.bottom) return false;
    // Both frames draw the bricks in index order: the next copy is the likely one.
    for (int n = 0; n < opaqueCount_; ++n) {
        const int i = (opaqueCursor_ + n) % opaqueCount_;
        const Box& c = opaqueCopies_[static_cast<std::size_t>(i)];
        if (c.left <= box.left && c.top <= box.top && box.right <= c.right && box.bottom <= c.bottom) {
            opaqueCursor_ = (i + 1) % opaqueCount_;
            return true;
        }
    }
    return false;
}

void QtSurface::ExecuteCls(bool noteChanges, const DrawList& coming) {
    PixelRows dst(image_);
    const PixelRows src(background_);
    if (drawn_.All()) {
        std::memcpy(image_.bits(), background_.constBits(), static_cast<std::size_t>(image_.sizeInBytes()));
        if (noteChanges) changed_.AddAll();
    } else {
        opaqueCount_ = 0;
        opaqueCursor_ = 0;
        for (int i = 0; i < coming.Count() && opaqueCount_ < kMaxOpaqueCopies; ++i) {
            const DrawOp& op = coming.At(i);
            if (op.kind != DrawOp::Kind::Blit || op.rop != RasterOp::SRCCOPY) continue;
            const Box box = BlitBox(op);
            if (box.Empty()) continue;
            Box& all = opaqueBounds_;
            all = opaqueCount_ == 0 ? box
                                    : Box{std::min(all.left, box.left), std::min(all.top, box.top),
                                          std::max(all.right, box.right), std::max(all.bottom, box.bottom)};
            opaqueCopies_[static_cast<std::size_t>(opaqueCount_++)] = box;
        }
        for (const Box& b : drawn_.Boxes()) {
            if (noteChanges) changed_.Add(b);
            if (CoveredByOpaqueCopy(b)) continue;
            const auto bytes = static_cast<std::size_t>(b.right - b.left) * sizeof(QRgb);
            for (int32_t y = b.top; y < b.bottom; ++y) std::memcpy(dst.At(b.left, y), src.At(b.left, y), bytes);
        }
    }
    drawn_.Clear();
}

void QtSurface::Record(const DrawOp& op, std::string_view text) {
    if (pending_->Add(op, text)) return;
    Flush();
    if (!pending_->Add(op, text)) Execute(op, text);  // more text than the store holds
}

void QtSurface::Flush() {
    if (pending_->Empty() && !pending_->StartsWithCls()) return;
    const bool fromClear = pending_->StartsWithCls();
    if (fromClear && doneValid_ && pending_->SameAs(*done_)) {
        pending_->Clear(false);  // the image already holds exactly this frame
        return;
    }
    // Both frames start from the background: a pixel that only operations
    // common to both touch, in the same order, comes out the same.
    const bool compared = fromClear && doneValid_;
    if (compared) NoteDifferences(*done_, *pending_);
    noteChanges_ = !compared;
    if (fromClear) ExecuteCls(!compared, *pending_);
    for (int i = 0; i < pending_->Count(); ++i) {
        const DrawOp& op = pending_->At(i);
        Execute(op, pending_->TextOf(op));
    }
    noteChanges_ = true;
    if (fromClear) std::swap(pending_, done_);
    doneValid_ = fromClear;
    pending_->Clear(false);
}

const GlyphAtlas& QtSurface::AtlasFor(int32_t pixels) {
    for (const auto& atlas : atlases_) {
        if (atlas->PixelSize() == pixels) return *atlas;
    }
    // A size not prepared: built once, on its first use.
    atlases_.push_back(std::make_unique<GlyphAtlas>(pixels));
    return *atlases_.back();
}

QtSurface::Font QtSurface::FontFor(int32_t pixels) {
    return Font{&AtlasFor(pixels), &AtlasFor(pixels * scale_)};
}

double QtSurface::FontSize() const { return font_.metrics->PixelSize() / kPixelsPerPoint; }

void QtSurface::FontSize(double points) { font_ = FontFor(PixelsFor(points)); }

void QtSurface::Refresh() {
    ++refreshes_;
    lastFrameStill_ = Present() == 0;
}

void QtSurface::NoteDifferences(const DrawList& before, const DrawList& now) {
    // Walks both lists in order, pairing equal operations; one dropped or
    // added operation (a brick gone, a caption started) is stepped over.
    int i = 0, j = 0;
    const int n = before.Count(), m = now.Count();
    const auto same = [&](int a, int b) {
        if (a >= n || b >= m) return false;
        DrawOp x = before.At(a), y = now.At(b);
        x.textStart = y.textStart = 0;  // where the text is stored does not matter, only what it says
        return x == y && before.TextOf(before.At(a)) == now.TextOf(now.At(b));
    };
    while (i < n || j < m) {
        if (same(i, j)) {
            ++i, ++j;
        } else if (same(i + 1, j)) {
            NoteChange(before, before.At(i++));
        } else if (same(i, j + 1)) {
            NoteChange(now, now.At(j++));
        } else {
            if (i < n) NoteChange(before, before.At(i++));
            if (j < m) NoteChange(now, now.At(j++));
        }
    }
}

void QtSurface::NoteChange(const DrawList& list, const DrawOp& op) {
    switch (op.kind) {
        case DrawOp::Kind::Print:
            changed_.Add(PrintBox(op, list.TextOf(op)));
            break;
        case DrawOp::Kind::Outline:
            for (const Box& edge : OutlineEdges(op)) changed_.Add(edge);
            break;
        case DrawOp::Kind::Blit:
            changed_.Add(BlitBox(op));
            break;
    }
}

int64_t QtSurface::Present() {
    Flush();
    repaintCount_ = 0;
    if (changed_.None()) return 0;
    const Box whole{0, 0, image_.width(), image_.height()};
    const std::span<const Box> boxes = changed_.All() ? std::span<const Box>(&whole, 1) : changed_.Boxes();
    int64_t pixels = 0;
    for (const Box& t : boxes) {
        pixels += int64_t{t.right - t.left} * (t.bottom - t.top);
        // The window's own coordinates, widened to whole window pixels.
        const int32_t left = t.left / scale_, top = t.top / scale_;
        const int32_t right = (t.right + scale_ - 1) / scale_, bottom = (t.bottom + scale_ - 1) / scale_;
        repaint_[static_cast<std::size_t>(repaintCount_++)] = QRect(left, top, right - left, bottom - top);
    }
    changed_.Clear();
    if (owner_ != nullptr) {
        QRegion region;
        for (int i = 0; i < repaintCount_; ++i) region += repaint_[static_cast<std::size_t>(i)];
        owner_->repaint(region);
    }
    return pixels;
}

}  // namespace platform::qt
