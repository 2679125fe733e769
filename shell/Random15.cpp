#include "shell/Random15.h"

namespace Pyxo {

constinit Random15 gRandom15;

int Random15::Next()
{
    uint64_t state = mState.load(std::memory_order_relaxed);
    uint64_t next = 0;
    do {
        next = state * kMultiplier + kIncrement;
    } while (!mState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    // The low bits of such a step repeat with short periods; the top ones do not.
    return static_cast<int>(next >> 49);
}

int Rand15()
{
    return gRandom15.Next();
}

void SeedRand15(uint32_t seed)
{
    gRandom15.Seed(seed);
}

} // namespace Pyxo
