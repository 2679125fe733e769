#pragma once

#include <atomic>
#include <cstdint>

namespace Pyxo {

/// The small generator that code dividing a random draw by 32767 uses: each draw is 0 to 32767, both included,
/// whatever the platform's C library would give. A 64-bit linear congruential step whose top bits make the draw.
/// Thread-safe: the level- and resource-loading threads draw too, and every draw takes one step of the one
/// shared sequence.
class Random15 {
public:
    static constexpr int kMax = 32767;

    constexpr Random15() = default;
    explicit constexpr Random15(uint32_t seed) : mState(Scramble(seed)) {}

    void Seed(uint32_t seed) { mState.store(Scramble(seed), std::memory_order_relaxed); }
    /// 0 to kMax.
    int Next();

private:
    static constexpr uint64_t kMultiplier = 6364136223846793005ull;
    static constexpr uint64_t kIncrement = 1442695040888963407ull;

    // Spreads a small seed over the state, so that neighbouring seeds do not start with neighbouring draws.
    static constexpr uint64_t Scramble(uint32_t seed) { return (uint64_t{seed} ^ 0x5DEECE66Dull) * kMultiplier; }

    std::atomic<uint64_t> mState{Scramble(1)};
};

/// The process-wide generator, seeded with 1 before any code runs; the application reseeds it at start-up.
extern constinit Random15 gRandom15;

/// One draw of gRandom15: 0 to 32767.
int Rand15();
void SeedRand15(uint32_t seed);

} // namespace Pyxo
