#pragma once
// Builds the short texts the game prints in a fixed buffer, so that printing
// during play allocates nothing.

#include <charconv>
#include <cstdint>
#include <string_view>

namespace game {

class Text {
public:
    Text& Append(std::string_view part) {
        for (char c : part) {
            if (length_ < sizeof buffer_) buffer_[length_++] = c;
        }
        return *this;
    }
    // Plain decimal digits, "-" before a negative value: joined into a text.
    Text& AppendInt(int64_t value) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        return Append(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    }
    // A number printed on its own: a blank in the place of the sign, or "-".
    Text& AppendNumber(int64_t value) {
        Append(value < 0 ? "-" : " ");
        char digits[24];
        const uint64_t magnitude =
            value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        const auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
        return Append(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    }
    std::string_view View() const { return {buffer_, length_}; }

private:
    char buffer_[64]{};
    std::size_t length_ = 0;
};

}  // namespace game
