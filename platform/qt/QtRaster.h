#pragma once
// Carries drawing operations out onto the play-field image. Block copies,
// outlines and text are done by hand on the 32-bit pixel words, clipped
// against both images, so no argument can reach outside them and nothing is
// allocated while a game runs.
//
// The image can be kept at a whole multiple of the game's 640 x 420 for
// large screens: the game's coordinates are multiplied, the sheet and the
// background are enlarged pixel by pixel, and text is rendered at the larger
// size from the same pen positions, so every picture lands where it would at
// 1x and text is sharp.
//
// Every box carried out is noted: as drawn since the last clear, so the clear
// restores only those, and as changed on screen, for the presenter.

#include <QImage>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw/DamageList.h"
#include "platform/draw/FrameRecorder.h"
#include "platform/qt/GlyphAtlas.h"

namespace platform::draw {
// Text is measured with the 1x advances and drawn with the glyphs at the
// scale. A font stays the same object at every scale (recorded drawing keeps
// pointing at it): a change of scale gives it the glyphs of the new one.
struct Font {
    const qt::GlyphAtlas* metrics = nullptr;
    const qt::GlyphAtlas* pixels = nullptr;
};
}  // namespace platform::draw

namespace platform::qt {

class QtRaster final : public draw::DrawTarget {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 420;
    // Enough for a 5K screen in full screen; a larger one shows a wider border.
    static constexpr int32_t kMaxScale = 8;

    // background: the picture the clear restores, drawn from the top-left
    // corner over a plain face colour where it is smaller than the image.
    // changed: where the image may differ from the screen.
    QtRaster(const QImage& background, draw::DamageList& changed);
    ~QtRaster();

    // Rebuilds the images at scale (1 to kMaxScale), blank; all of it is changed.
    void SetScale(int32_t scale);
    int32_t Scale() const { return scale_; }
    // The Windows bitmap at path (UTF-8), as 32-bit words; null, with error
    // set, when it cannot be read.
    static QImage ReadSheet(const std::string& path, std::string& error);
    void SetSheet(const QImage& sheet);
    // The font of that pixel size (at 1x) at the present scale.
    const draw::Font& FontFor(int32_t pixels);

    const QImage& Image() const { return image_; }
    const QImage& Sheet() const { return sheet_; }

    void NoteChange(const draw::DrawList& list, const draw::DrawOp& op) override;
    void Clear() override;
    void Execute(const draw::DrawOp& op, std::string_view text) override;
    void NoteChanges(bool on) override { noteChanges_ = on; }
    bool ExecuteChanged(const draw::DrawList& coming) override;  // QtRasterRedraw.cpp

private:
    const GlyphAtlas& AtlasFor(int32_t pixels);
    draw::Box BlitBox(const draw::DrawOp& op) const;
    draw::Box PrintBox(const draw::DrawOp& op, std::string_view text) const;
    std::array<draw::Box, 4> OutlineEdges(const draw::DrawOp& op) const;
    void ExecutePrint(const draw::DrawOp& op, std::string_view text);
    void ExecuteOutline(const draw::DrawOp& op);
    void ExecuteBlit(const draw::DrawOp& op);
    void Touch(const draw::Box& box);
    void FillBox(draw::Box box, QRgb colour);
    void BuildImages();
    bool Overlaps(const draw::DrawList& coming, int op, const draw::Box& bounds) const;
    void RestoreBackground(draw::Box box);

    const QImage picture_;  // the background as given
    QImage image_;
    QImage background_;
    QImage sheet_;        // empty until SetSheet; copies from it then do nothing
    QImage sheetScaled_;  // the sheet at the scale; shares sheet_ at 1x
    int32_t scale_ = 1;
    std::vector<std::unique_ptr<GlyphAtlas>> atlases_;
    std::vector<std::unique_ptr<draw::Font>> fonts_;
    draw::DamageList drawn_;     // differs from the background since the last clear
    draw::DamageList& changed_;  // may differ from the screen
    // ExecuteChanged: the area carried out afresh (first where the two frames
    // differ), and which operations of the coming frame are, with the box of
    // each (an outline's are its edges).
    draw::DamageList redraw_;
    std::array<bool, draw::DrawList::kCapacity> redrawn_{};
    std::array<draw::Box, draw::DrawList::kCapacity> opBox_{};
    bool noteChanges_ = true;
};

}  // namespace platform::qt
