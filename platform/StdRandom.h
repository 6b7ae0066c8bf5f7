#pragma once
// The game's random source: a small, fast 64-bit generator (SplitMix64)
// seeded from the time of day. Plain C++, shared by the program and tests.

#include <cstdint>
#include <cstring>

#include "platform/Platform.h"

namespace platform {

class StdRandom final : public Random {
public:
    void Randomize(double seed) override {
        uint64_t bits = 0;
        static_assert(sizeof bits == sizeof seed);
        std::memcpy(&bits, &seed, sizeof bits);
        state_ = bits ^ 0x6A09E667F3BCC909ULL;
    }
    double Rnd() override {
        // 53 random bits scaled into [0, 1): 1.0 itself cannot come out.
        return static_cast<double>(Next() >> 11) * 0x1.0p-53;
    }

private:
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    uint64_t state_ = 0x853C49E6748FEA9BULL;
};

}  // namespace platform
