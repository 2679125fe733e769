#pragma once

#include <array>
#include <cstdint>

namespace Pyxo {

/// MT19937 with 31-bit results: the framework's random numbers. Not thread-safe; the shared instance is used from
/// the main thread.
class MersenneTwister {
public:
    static constexpr uint32_t kDefaultSeed = 4357;

    constexpr MersenneTwister() { Seed(kDefaultSeed); }
    explicit constexpr MersenneTwister(uint32_t seed) { Seed(seed); }

    /// A seed of 0 means the default seed.
    constexpr void Seed(uint32_t seed)
    {
        mState[0] = seed != 0 ? seed : kDefaultSeed;
        for (uint32_t i = 1; i < kStateSize; ++i) {
            mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + i;
        }
        mIndex = kStateSize;
    }

    /// The next word of the standard sequence with its top bit cleared: 0 to 2^31 - 1.
    uint32_t Next();

    /// Next() / (2^31 - 1) * range, so the result lies in [0, range].
    float NextFloat(float range);

private:
    static constexpr uint32_t kStateSize = 624;

    void Regenerate();

    std::array<uint32_t, kStateSize> mState{};
    uint32_t mIndex = kStateSize; // next word to temper; kStateSize forces a regeneration
};

/// The process-wide generator, seeded with the default seed before any code runs (constant-initialised, so no
/// static initialiser can see it unseeded). The application reseeds it at start-up.
extern constinit MersenneTwister gRandom;

/// A random float in [0, range] from gRandom.
float RandFloat(float range);
void SeedRandom(uint32_t seed);

} // namespace Pyxo
