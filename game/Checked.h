#pragma once
// Fixed-width arithmetic that never wraps. A result outside the width is an
// error: it is counted in overflowCount (which the soak tests require to stay
// 0) and the value saturates at the limit, so play goes on sanely.

#include <cstdint>
#include <limits>

namespace game {

inline int64_t overflowCount = 0;

template <typename T>
inline T Saturate(int64_t value) {
    if (value > std::numeric_limits<T>::max()) {
        ++overflowCount;
        return std::numeric_limits<T>::max();
    }
    if (value < std::numeric_limits<T>::min()) {
        ++overflowCount;
        return std::numeric_limits<T>::min();
    }
    return static_cast<T>(value);
}

inline int16_t Add16(int64_t a, int64_t b) { return Saturate<int16_t>(a + b); }
inline int16_t Sub16(int64_t a, int64_t b) { return Saturate<int16_t>(a - b); }
inline int16_t Mul16(int64_t a, int64_t b) { return Saturate<int16_t>(a * b); }
inline int16_t Neg16(int64_t a) { return Saturate<int16_t>(-a); }
inline int32_t Add32(int64_t a, int64_t b) { return Saturate<int32_t>(a + b); }
inline int32_t Sub32(int64_t a, int64_t b) { return Saturate<int32_t>(a - b); }

}  // namespace game
