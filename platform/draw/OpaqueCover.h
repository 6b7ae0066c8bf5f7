#pragma once
// The boxes of a coming frame's opaque copies (the standing bricks). An
// opaque copy decides every pixel of its box whatever lay there before, so a
// box it covers whole need not be restored first: a standing brick, drawn
// again at its place, is copied once a frame instead of twice.

#include <algorithm>
#include <array>

#include "platform/draw/DamageList.h"

namespace platform::draw {

class OpaqueCover {
public:
    static constexpr int kCapacity = 128;

    void Clear() {
        count_ = 0;
        cursor_ = 0;
    }
    bool Full() const { return count_ == kCapacity; }
    void Add(const Box& box) {
        if (box.Empty() || Full()) return;
        Box& all = bounds_;
        all = count_ == 0 ? box
                          : Box{std::min(all.left, box.left), std::min(all.top, box.top),
                                std::max(all.right, box.right), std::max(all.bottom, box.bottom)};
        boxes_[static_cast<std::size_t>(count_++)] = box;
    }
    // Whether one of the copies covers box whole.
    bool Covers(const Box& box) {
        const Box& all = bounds_;  // the panel's texts, the paddle and the outline lie outside
        if (count_ == 0 || box.left < all.left || box.top < all.top || box.right > all.right ||
            box.bottom > all.bottom) {
            return false;
        }
        // Both frames draw the bricks in index order: the next copy is the likely one.
        for (int n = 0; n < count_; ++n) {
            const int i = (cursor_ + n) % count_;
            const Box& c = boxes_[static_cast<std::size_t>(i)];
            if (c.left <= box.left && c.top <= box.top && box.right <= c.right && box.bottom <= c.bottom) {
                cursor_ = (i + 1) % count_;
                return true;
            }
        }
        return false;
    }

private:
    std::array<Box, kCapacity> boxes_{};
    Box bounds_{};  // the box around them all
    int count_ = 0;
    int cursor_ = 0;
};

}  // namespace platform::draw
