#pragma once
// The play-field window's persistent image and its hidden picture holder:
// the surface the game draws on, made of three parts. The recorder
// (platform/draw) keeps the drawing as operations and carries it out only
// when the picture is needed: Present, Refresh, or an explicit Flush before
// reading Image(); a frame that repeats the last one exactly is not carried
// out again, and of one that differs only the operations that differ are
// noted as changed. The raster (QtRaster) carries the operations out on the
// image at its scale, with its fonts and sheet. The presenter (QtPresenter)
// repaints the changed parts of the window.

#include <QImage>
#include <QRect>
#include <span>
#include <string>

#include "platform/Platform.h"
#include "platform/draw/DamageList.h"
#include "platform/draw/FrameRecorder.h"
#include "platform/qt/QtPresenter.h"
#include "platform/qt/QtRaster.h"

class QWidget;

namespace platform::qt {

class QtSurface final : public Surface {
public:
    static constexpr int kWidth = QtRaster::kWidth;
    static constexpr int kHeight = QtRaster::kHeight;
    static constexpr int32_t kMaxScale = QtRaster::kMaxScale;
    // The window font, MS Sans Serif 9.75 points bold.
    static constexpr double kWindowFontPoints = 9.75;

    // background: the picture Cls restores, drawn from the top-left corner over
    // a plain face colour where it is smaller than the image. owner, if given,
    // is repainted by Present.
    explicit QtSurface(const QImage& background, QWidget* owner = nullptr);

    bool LoadBitmaps(const std::string& path, std::string& error) override;
    // Sheets loaded from now on keep only their top-left part of this size,
    // the part the game copies from: the sheet is enlarged whole at every
    // scale, and a large one would cost gigabytes there for pixels never used.
    void KeepSheetPart(QSize part) { sheetPart_ = part; }
    void Cls() override;
    void Print(std::string_view text) override;
    int32_t CurrentX() const override { return currentX_; }
    void CurrentX(int32_t x) override { currentX_ = x; }
    int32_t CurrentY() const override { return currentY_; }
    void CurrentY(int32_t y) override { currentY_ = y; }
    Rgb ForeColor() const override { return foreColor_; }
    void ForeColor(Rgb colour) override { foreColor_ = colour; }
    double FontSize() const override;
    void FontSize(double points) override;
    void RectangleOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Rgb colour) override;
    void BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                RasterOp op) override;
    // Presents the frame at once: it is on screen when this returns.
    void Refresh() override;

    // Carries out the drawing recorded so far.
    void Flush() { recorder_.Flush(); }
    // Repaints the owner, synchronously, wherever the picture may have
    // changed since the last call. Returns the number of pixels repainted.
    int64_t Present();
    // The last Refresh repainted nothing: the screen shows a still frame.
    bool LastFrameStill() const { return lastFrameStill_; }
    // The window rectangles the last Present repainted.
    std::span<const QRect> LastRepaint() const { return presenter_.LastRepaint(); }
    // Image pixels per game pixel, 1 to kMaxScale. Changing it rebuilds the
    // images and draws the frame they held again at the new scale (a change
    // between frames, never during one); the image fills the window at that
    // scale until SetPlacement says otherwise. Nothing is presented.
    void SetScale(int32_t scale);
    int32_t Scale() const { return raster_.Scale(); }
    // Where the owner shows the image; every box is changed.
    void SetPlacement(const Placement& placement);
    const Placement& ImagePlacement() const { return placement_; }

    // The image drawing goes to: 640 x 420 times the scale, with that as its
    // device pixel ratio. It holds what was drawn up to the last Flush (which
    // Refresh and Present make), so outside them it is the frame last
    // presented: what painting shows. Call Flush first for the picture as
    // drawn so far.
    const QImage& Image() const { return raster_.Image(); }
    const QImage& Sheet() const { return raster_.Sheet(); }  // as loaded, 1x
    int64_t RefreshCount() const { return refreshes_; }
    // Pixel size of the font in force (points at 96 dpi, at 1x).
    int32_t FontPixels() const;

private:
    draw::DamageList changed_;  // may differ from the screen since the last Present
    QtRaster raster_;
    draw::FrameRecorder recorder_{raster_};
    QtPresenter presenter_;
    Placement placement_;
    QSize sheetPart_;  // empty: the whole sheet
    int32_t currentX_ = 0;
    int32_t currentY_ = 0;
    Rgb foreColor_{};
    const draw::Font* font_;
    bool lastFrameStill_ = false;
    int64_t refreshes_ = 0;
};

}  // namespace platform::qt
