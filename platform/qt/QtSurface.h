#pragma once
// The play-field window's persistent image and its hidden picture holder.
// Block copies, outlines and text are done by hand on the 32-bit pixel words,
// clipped against both images, so no argument can reach outside them and
// nothing is allocated while a game runs.

#include <QImage>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/qt/GlyphAtlas.h"

class QWidget;

namespace platform::qt {

class QtSurface final : public Surface {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 420;
    // The window font, MS Sans Serif 9.75 points bold.
    static constexpr double kWindowFontPoints = 9.75;

    // background: the picture Cls restores, drawn from the top-left corner over
    // a plain face colour where it is smaller than the image. owner, if given,
    // is repainted by Refresh.
    explicit QtSurface(const QImage& background, QWidget* owner = nullptr);
    ~QtSurface() override;

    bool LoadBitmaps(const std::string& path, std::string& error) override;
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
    void Refresh() override;

    // The owner painted the image on screen (its paintEvent).
    void Shown() { dirty_ = false; }

    const QImage& image() const { return image_; }
    const QImage& sheet() const { return sheet_; }
    int64_t refreshCount() const { return refreshes_; }
    // Pixel size of the font in force (points at 96 dpi).
    int32_t fontPixels() const { return current_->PixelSize(); }

private:
    const GlyphAtlas& AtlasFor(int32_t pixels);
    void FillSpan(int64_t x1, int64_t x2, int64_t y, QRgb colour);
    // Drawing asks the owner for one repaint at the next event handling, so a
    // picture drawn without Refresh (the level title) still reaches the screen.
    void MarkDirty();

    QImage image_;
    QImage background_;
    QImage sheet_;  // empty until LoadBitmaps; copies from it then do nothing
    QWidget* owner_;
    int32_t currentX_ = 0;
    int32_t currentY_ = 0;
    Rgb foreColor_{};
    std::vector<std::unique_ptr<GlyphAtlas>> atlases_;
    const GlyphAtlas* current_ = nullptr;
    int64_t refreshes_ = 0;
    bool dirty_ = false;
};

}  // namespace platform::qt
