#pragma once
// The boxes of an image that drawing has touched, kept in a fixed array so
// that noting them during play allocates nothing. When the array is full the
// list stands for the whole image.

#include <array>
#include <cstdint>
#include <span>

namespace platform::draw {

// Half-open box in image pixels: [left, right) x [top, bottom).
struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return left >= right || top >= bottom; }
    bool operator==(const Box&) const = default;
};

class DamageList {
public:
    // A frame draws at most about 240 pieces; room to spare.
    static constexpr int kCapacity = 512;

    void Add(const Box& box) {
        if (all_ || box.Empty()) return;
        // A mask and its image, an old and a new place noted in turn.
        for (int i = count_ - 1; i >= 0 && i >= count_ - 4; --i) {
            if (boxes_[i] == box) return;
        }
        if (count_ == kCapacity) {
            all_ = true;
            return;
        }
        boxes_[count_++] = box;
    }
    void AddAll() { all_ = true; }
    void Clear() {
        count_ = 0;
        all_ = false;
    }
    bool All() const { return all_; }
    bool None() const { return !all_ && count_ == 0; }
    std::span<const Box> Boxes() const { return {boxes_.data(), static_cast<std::size_t>(count_)}; }

private:
    std::array<Box, kCapacity> boxes_{};
    int count_ = 0;
    bool all_ = false;
};

}  // namespace platform::draw
