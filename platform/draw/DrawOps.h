#pragma once
// One frame's drawing as a list of operations, held in fixed arrays so that
// recording allocates nothing. The recorder keeps the list it last carried
// out: a frame that starts with a clear and repeats it exactly would paint
// the same pixels again, so it need not be carried out at all.

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/Platform.h"

namespace platform::draw {

// A font of the target that carries the list out. The list only stores it
// and compares it by identity.
struct Font;

struct DrawOp {
    enum class Kind : uint8_t { Print, Outline, Blit };
    Kind kind = Kind::Blit;
    RasterOp rop = RasterOp::SRCCOPY;
    Rgb colour{};
    int32_t x = 0, y = 0, w = 0, h = 0, srcX = 0, srcY = 0;  // Outline: x, y, w=x2, h=y2
    const Font* font = nullptr;                              // Print
    uint32_t textStart = 0, textLength = 0;                  // Print: in the list's text store
    bool operator==(const DrawOp&) const = default;
};

class DrawList {
public:
    static constexpr int kCapacity = 1024;
    static constexpr uint32_t kTextCapacity = 16384;

    void Clear(bool startsWithCls) {
        count_ = 0;
        textUsed_ = 0;
        startsWithCls_ = startsWithCls;
    }
    bool StartsWithCls() const { return startsWithCls_; }
    bool Empty() const { return count_ == 0; }
    // False when the list is full: the caller carries it out and starts anew.
    bool Add(DrawOp op, std::string_view text = {}) {
        if (count_ == kCapacity || text.size() > kTextCapacity - textUsed_) return false;
        op.textStart = textUsed_;
        op.textLength = static_cast<uint32_t>(text.size());
        if (!text.empty()) std::memcpy(text_.data() + textUsed_, text.data(), text.size());
        textUsed_ += op.textLength;
        ops_[static_cast<std::size_t>(count_++)] = op;
        return true;
    }
    int Count() const { return count_; }
    const DrawOp& At(int i) const { return ops_[static_cast<std::size_t>(i)]; }
    std::string_view TextOf(const DrawOp& op) const { return {text_.data() + op.textStart, op.textLength}; }

    bool SameAs(const DrawList& other) const {
        if (count_ != other.count_ || textUsed_ != other.textUsed_ ||
            startsWithCls_ != other.startsWithCls_) {
            return false;
        }
        for (int i = 0; i < count_; ++i) {
            if (!(ops_[static_cast<std::size_t>(i)] == other.ops_[static_cast<std::size_t>(i)]))
                return false;
        }
        return std::memcmp(text_.data(), other.text_.data(), textUsed_) == 0;
    }

private:
    std::array<DrawOp, kCapacity> ops_{};
    std::array<char, kTextCapacity> text_{};
    int count_ = 0;
    uint32_t textUsed_ = 0;
    bool startsWithCls_ = false;
};

}  // namespace platform::draw
