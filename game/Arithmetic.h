#pragma once
// Fixed-width arithmetic that never wraps, and the two roundings the rules
// use. A result outside the width is an error: it is counted in overflowCount
// (which the soak tests require to stay 0) and the value saturates at the
// limit, so play goes on sanely.

#include <cmath>
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

inline int16_t Add16(int64_t a, int64_t b) {
    return Saturate<int16_t>(a + b);
}
inline int16_t Sub16(int64_t a, int64_t b) {
    return Saturate<int16_t>(a - b);
}
inline int16_t Mul16(int64_t a, int64_t b) {
    return Saturate<int16_t>(a * b);
}
inline int16_t Neg16(int64_t a) {
    return Saturate<int16_t>(-a);
}
inline int32_t Add32(int64_t a, int64_t b) {
    return Saturate<int32_t>(a + b);
}
inline int32_t Sub32(int64_t a, int64_t b) {
    return Saturate<int32_t>(a - b);
}

// A real number brought to int16 by floor, saturating (and counting the
// overflow) outside the width; NaN counts as an overflow and gives 0.
inline int16_t Floor16(double value) {
    const double f = std::floor(value);
    if (!(f >= std::numeric_limits<int16_t>::min() && f <= std::numeric_limits<int16_t>::max())) {
        ++overflowCount;
        if (f > 0) return std::numeric_limits<int16_t>::max();
        if (f < 0) return std::numeric_limits<int16_t>::min();
        return 0;
    }
    return static_cast<int16_t>(f);
}

// Nearest whole number with a half going to the even neighbour, written out
// rather than left to the floating-point rounding mode in force.
inline int16_t RoundHalfEven16(double value) {
    const double f = std::floor(value);
    const double fraction = value - f;
    double rounded = f;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(f, 2.0) != 0.0)) rounded = f + 1.0;
    return Floor16(rounded);
}

}  // namespace game
