#pragma once
#include <cstdint>

namespace bench {

// SplitMix64: a small generator whose sequence depends on the seed only, so
// every run and every machine builds the same installation.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, bound); bound > 0.
    uint32_t Below(uint32_t bound) { return uint32_t(Next() % bound); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }

private:
    uint64_t state_;
};

}  // namespace bench
