#include "platform/qt/QtSurface.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace platform::qt {

using draw::DrawOp;

namespace {

// Points are realised as whole pixels at 96 dpi, whatever the screen.
constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr int32_t kMinPixels = 1;
constexpr int32_t kMaxPixels = 256;  // keeps an absurd request from building a huge atlas

int32_t PixelsFor(double points) {
    if (!std::isfinite(points)) return kMinPixels;
    const double pixels = std::round(points * kPixelsPerPoint);
    return static_cast<int32_t>(std::clamp(pixels, double{kMinPixels}, double{kMaxPixels}));
}

}  // namespace

QtSurface::QtSurface(const QImage& background, QWidget* owner)
    : raster_(background, changed_),
      presenter_(owner),
      font_(&raster_.FontFor(PixelsFor(kWindowFontPoints))) {}

void QtSurface::SetScale(int32_t scale) {
    scale = std::clamp<int32_t>(scale, 1, kMaxScale);
    if (scale == raster_.Scale()) return;
    recorder_.Flush();  // the picture as drawn so far is what is drawn again
    raster_.SetScale(scale);
    recorder_.Redo();
    placement_ = Placement{QPointF(0, 0), double(scale)};
}

void QtSurface::SetPlacement(const Placement& placement) {
    placement_ = placement;
    changed_.AddAll();
}

bool QtSurface::LoadBitmaps(const std::string& path, std::string& error) {
    const QImage sheet = QtRaster::ReadSheet(path, error);
    if (sheet.isNull()) return false;
    recorder_.Flush();  // drawing recorded before uses the sheet it had
    recorder_.Forget(false);
    const QRect kept = QRect(QPoint(0, 0), sheetPart_) & sheet.rect();
    raster_.SetSheet(sheetPart_.isEmpty() || kept == sheet.rect() ? sheet : sheet.copy(kept));
    return true;
}

void QtSurface::Cls() {
    recorder_.StartFrame();
    currentX_ = 0;
    currentY_ = 0;
}

void QtSurface::Print(std::string_view text) {
    DrawOp op;
    op.kind = DrawOp::Kind::Print;
    op.colour = foreColor_;
    op.x = currentX_;
    op.y = currentY_;
    op.font = font_;
    recorder_.Record(op, text);
    currentX_ = 0;
    currentY_ = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{op.y} + font_->metrics->LineHeight(), INT32_MIN, INT32_MAX));
}

void QtSurface::RectangleOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Rgb colour) {
    DrawOp op;
    op.kind = DrawOp::Kind::Outline;
    op.colour = colour;
    op.x = x1, op.y = y1, op.w = x2, op.h = y2;
    recorder_.Record(op);
}

void QtSurface::BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                       RasterOp rop) {
    if (w <= 0 || h <= 0) return;
    DrawOp op;
    op.kind = DrawOp::Kind::Blit;
    op.rop = rop;
    op.x = x, op.y = y, op.w = w, op.h = h, op.srcX = srcX, op.srcY = srcY;
    recorder_.Record(op);
}

int32_t QtSurface::FontPixels() const {
    return font_->metrics->PixelSize();
}

double QtSurface::FontSize() const {
    return FontPixels() / kPixelsPerPoint;
}

void QtSurface::FontSize(double points) {
    font_ = &raster_.FontFor(PixelsFor(points));
}

void QtSurface::Refresh() {
    ++refreshes_;
    lastFrameStill_ = Present() == 0;
}

int64_t QtSurface::Present() {
    recorder_.Flush();
    return presenter_.Present(changed_, Image().width(), Image().height(), placement_);
}

}  // namespace platform::qt
