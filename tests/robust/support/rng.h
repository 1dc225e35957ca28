#pragma once
#include <cstdint>

namespace tnrobust {

// A small deterministic generator (SplitMix64): the same seed gives the same
// inputs on every compiler and library, so a reported seed replays anywhere.
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
    // A number in [0, n); 0 for n = 0.
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(Next() % n); }
    uint32_t Between(uint32_t low, uint32_t high) { return low + Below(high - low + 1); }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N])
    {
        return items[Below(N)];
    }

private:
    uint64_t state_;
};

// The seed of input number `index` of a run started with `seed`, so that one
// input can be replayed alone.
inline uint64_t InputSeed(uint64_t seed, uint64_t index)
{
    return Rng(seed ^ (index * 0xD1B54A32D192ED03ull)).Next();
}

}  // namespace tnrobust
