#include "shell/MersenneTwister.h"

namespace Pyxo {

constinit MersenneTwister gRandom;

void MersenneTwister::Regenerate()
{
    constexpr uint32_t kMiddle = 397;
    constexpr uint32_t kUpperMask = 0x80000000u;
    constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
    constexpr uint32_t kMatrix = 0x9908B0DFu;
    for (uint32_t i = 0; i < kStateSize; ++i) {
        const uint32_t y = (mState[i] & kUpperMask) | (mState[(i + 1) % kStateSize] & kLowerMask);
        mState[i] = mState[(i + kMiddle) % kStateSize] ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrix : 0u);
    }
    mIndex = 0;
}

uint32_t MersenneTwister::Next()
{
    if (mIndex >= kStateSize) {
        Regenerate();
    }
    uint32_t y = mState[mIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y & 0x7FFFFFFFu;
}

float MersenneTwister::NextFloat(float range)
{
    return static_cast<float>(Next() / 2147483647.0 * range);
}

float RandFloat(float range)
{
    return gRandom.NextFloat(range);
}

void SeedRandom(uint32_t seed)
{
    gRandom.Seed(seed);
}

} // namespace Pyxo
