#pragma once
// The play-field window's persistent image and its hidden picture holder.
// Block copies, outlines and text are done by hand on the 32-bit pixel words,
// clipped against both images, so no argument can reach outside them and
// nothing is allocated while a game runs.
//
// The image can be kept at a whole multiple of the game's 640 x 420 for
// large screens: the game's coordinates are multiplied, the sheet and the
// background are enlarged pixel by pixel, and text is rendered at the larger
// size from the same pen positions, so every picture lands where it would at
// 1x and text is sharp.
//
// Drawing is recorded and carried out when the picture is needed: Present,
// Refresh, or an explicit Flush before reading Image(). A frame that repeats the last one exactly is not carried
// out again. Carrying out notes the boxes touched, so Cls restores only what
// was drawn since the last one. What reaches the screen is found from the
// operations, not the pixels: comparing a frame's list with the last one's,
// only the boxes of operations that differ are repainted, so a still frame
// costs almost nothing and a moving ball only its old and new places.

#include <QImage>
#include <QRect>
#include <array>
#include <span>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/qt/DamageList.h"
#include "platform/qt/DrawOps.h"
#include "platform/qt/GlyphAtlas.h"

class QWidget;

namespace platform::qt {

class QtSurface final : public Surface {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 420;
    static constexpr int32_t kMaxScale = 4;
    // The window font, MS Sans Serif 9.75 points bold.
    static constexpr double kWindowFontPoints = 9.75;

    // background: the picture Cls restores, drawn from the top-left corner over
    // a plain face colour where it is smaller than the image. owner, if given,
    // is repainted by Present.
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
    // Presents the frame at once: it is on screen when this returns.
    void Refresh() override;

    // Carries out the drawing recorded so far.
    void Flush();
    // Repaints the owner, synchronously, wherever the picture may have
    // changed since the last call. Returns the number of pixels repainted.
    int64_t Present();
    // The last Refresh repainted nothing: the screen shows a still frame.
    bool LastFrameStill() const { return lastFrameStill_; }
    // The window rectangles the last Present repainted.
    std::span<const QRect> LastRepaint() const {
        return {repaint_.data(), static_cast<std::size_t>(repaintCount_)};
    }
    // Image pixels per game pixel, 1 to kMaxScale. Changing it rebuilds the
    // images (not to be called during play) and shows the cleared picture.
    void SetScale(int32_t scale);
    int32_t Scale() const { return scale_; }

    // The image drawing goes to: 640 x 420 times the scale, with that as its
    // device pixel ratio. It holds what was drawn up to the last Flush (which
    // Refresh and Present make), so outside them it is the frame last
    // presented: what painting shows. Call Flush first for the picture as
    // drawn so far.
    const QImage& Image() const { return image_; }
    const QImage& Sheet() const { return sheet_; }  // as loaded, 1x
    int64_t RefreshCount() const { return refreshes_; }
    // Pixel size of the font in force (points at 96 dpi, at 1x).
    int32_t FontPixels() const { return font_.metrics->PixelSize(); }

private:
    struct Font {
        const GlyphAtlas* metrics = nullptr;  // 1x: advances and line height
        const GlyphAtlas* pixels = nullptr;   // at the scale: the coverage drawn
    };
    const GlyphAtlas& AtlasFor(int32_t pixels);
    Font FontFor(int32_t pixels);
    void Record(const DrawOp& op, std::string_view text = {});
    void Execute(const DrawOp& op, std::string_view text);
    // Restores the boxes drawn since the last clear from the background, but
    // for those an opaque copy of the coming frame covers whole.
    void ExecuteCls(bool noteChanges, const DrawList& coming);
    bool CoveredByOpaqueCopy(const Box& box);
    void NoteDifferences(const DrawList& before, const DrawList& now);
    void NoteChange(const DrawList& list, const DrawOp& op);
    Box BlitBox(const DrawOp& op) const;
    Box PrintBox(const DrawOp& op, std::string_view text) const;
    std::array<Box, 4> OutlineEdges(const DrawOp& op) const;
    void ExecutePrint(const DrawOp& op, std::string_view text);
    void ExecuteOutline(const DrawOp& op);
    void ExecuteBlit(const DrawOp& op);
    void Touch(const Box& box);
    void FillBox(Box box, QRgb colour);
    void BuildImages();

    const QImage picture_;  // the background as given
    QImage image_;
    QImage background_;
    QImage sheet_;        // empty until LoadBitmaps; copies from it then do nothing
    QImage sheetScaled_;  // the sheet at the scale; shares sheet_ at 1x
    QWidget* owner_;
    int32_t scale_ = 1;
    int32_t currentX_ = 0;
    int32_t currentY_ = 0;
    Rgb foreColor_{};
    std::vector<std::unique_ptr<GlyphAtlas>> atlases_;
    Font font_;
    std::unique_ptr<DrawList> pending_ = std::make_unique<DrawList>();  // recorded, not yet carried out
    std::unique_ptr<DrawList> done_ = std::make_unique<DrawList>();     // the frame the image holds
    bool doneValid_ = false;  // the image is exactly done_ carried out from a clear
    DamageList drawn_;    // differs from the background since the last Cls
    DamageList changed_;  // may differ from the screen since the last Present
    // The coming frame's opaque copies (the standing bricks), for the clear.
    static constexpr int kMaxOpaqueCopies = 128;
    std::array<Box, kMaxOpaqueCopies> opaqueCopies_{};
    Box opaqueBounds_{};  // the box around them all
    int opaqueCount_ = 0;
    int opaqueCursor_ = 0;
    bool noteChanges_ = true;  // carrying out also notes its boxes as changed
    std::array<QRect, DamageList::kCapacity> repaint_{};
    int repaintCount_ = 0;
    bool lastFrameStill_ = false;
    int64_t refreshes_ = 0;
};

}  // namespace platform::qt
