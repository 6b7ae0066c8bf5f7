// Carrying out a frame only where it differs from the one the image holds.
//
// Every operation sets each pixel of its box from that pixel and the sheet or
// glyph alone. So outside the boxes of the operations that differ, the image
// already holds what the coming frame would draw there: the same operations,
// in the same order, over the same background. Inside, the background is
// restored and the operations carried out again; one that overlaps that area
// is carried out whole, so its box joins the area first (a text blended twice
// would come out darker), until no other operation overlaps it.

#include <algorithm>
#include <cstring>

#include "platform/qt/QtRaster.h"
#include "platform/qt/SurfacePixels.h"

namespace platform::qt {

using draw::Box;
using draw::DrawOp;

namespace {

bool Meet(const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// An outline's edges may lie a pixel outside the image.
Box Within(const Box& box, const QImage& image) {
    return {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, image.width()),
            std::min(box.bottom, image.height())};
}

Box Around(const Box& a, const Box& b) {
    if (a.Empty()) return b;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

}  // namespace

bool QtRaster::Overlaps(const draw::DrawList& coming, int i, const Box& bounds) const {
    const DrawOp& op = coming.At(i);
    const auto meetsArea = [&](const Box& box) {
        if (box.Empty() || !Meet(box, bounds)) return false;
        return std::any_of(redraw_.Boxes().begin(), redraw_.Boxes().end(),
                           [&](const Box& b) { return Meet(box, b); });
    };
    // An outline touches only its edges; its whole box would take in the field.
    if (op.kind == DrawOp::Kind::Outline) {
        const std::array<Box, 4> edges = OutlineEdges(op);
        return std::any_of(edges.begin(), edges.end(), meetsArea);
    }
    return meetsArea(opBox_[static_cast<std::size_t>(i)]);
}

void QtRaster::RestoreBackground(Box box) {
    box = Within(box, image_);
    if (box.Empty()) return;
    PixelRows dst(image_);
    const PixelRows src(background_);
    const auto bytes = static_cast<std::size_t>(box.right - box.left) * sizeof(QRgb);
    for (int32_t y = box.top; y < box.bottom; ++y)
        std::memcpy(dst.At(box.left, y), src.At(box.left, y), bytes);
}

bool QtRaster::ExecuteChanged(const draw::DrawList& coming) {
    // Where the frames differ is where the screen changes; what the area
    // grows by below is drawn again exactly as it stands.
    if (redraw_.All()) changed_.AddAll();
    for (const Box& b : redraw_.Boxes()) changed_.Add(b);
    const auto giveUp = [this] {
        redraw_.Clear();
        return false;
    };
    if (redraw_.All()) return giveUp();
    const int n = coming.Count();
    Box bounds{};
    for (const Box& b : redraw_.Boxes()) bounds = Around(bounds, b);
    for (int i = 0; i < n; ++i) {
        const DrawOp& op = coming.At(i);
        const auto at = static_cast<std::size_t>(i);
        redrawn_[at] = false;
        opBox_[at] = op.kind == DrawOp::Kind::Print  ? PrintBox(op, coming.TextOf(op))
                     : op.kind == DrawOp::Kind::Blit ? BlitBox(op)
                                                     : Box{};
    }
    for (bool grew = !redraw_.None(); grew;) {
        grew = false;
        for (int i = 0; i < n; ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (redrawn_[at] || !Overlaps(coming, i, bounds)) continue;
            redrawn_[at] = grew = true;
            const DrawOp& op = coming.At(i);
            if (op.kind == DrawOp::Kind::Outline) {
                for (const Box& edge : OutlineEdges(op)) {
                    redraw_.Add(edge);
                    bounds = Around(bounds, edge);
                }
            } else {
                redraw_.Add(opBox_[at]);
                bounds = Around(bounds, opBox_[at]);
            }
            if (redraw_.All()) return giveUp();
        }
    }
    for (const Box& b : redraw_.Boxes()) RestoreBackground(b);
    redraw_.Clear();
    // Afterwards the image differs from the background just where the coming
    // frame draws.
    drawn_.Clear();
    const bool noting = noteChanges_;
    noteChanges_ = false;
    for (int i = 0; i < n; ++i) {
        const DrawOp& op = coming.At(i);
        const auto at = static_cast<std::size_t>(i);
        if (redrawn_[at]) {
            Execute(op, coming.TextOf(op));
        } else if (op.kind == DrawOp::Kind::Outline) {
            for (const Box& edge : OutlineEdges(op)) drawn_.Add(Within(edge, image_));
        } else {
            drawn_.Add(opBox_[at]);
        }
    }
    noteChanges_ = noting;
    return true;
}

}  // namespace platform::qt
