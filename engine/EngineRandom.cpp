#include "engine/EngineRandom.h"

#include "shell/Random15.h"

#include <cstdint>

float RandFloatRange(float a, float b)
{
    return static_cast<float>(a + (b - a) * (Pyxo::Rand15() / 32767.0));
}

int RandInt(int a, int b)
{
    // An empty list asks for RandInt(0, -1); the remainder by a range of 0 would divide by zero.
    if (b < a)
        return a;
    const int64_t span = int64_t{b} - a;
    if (span == 1)
        return Pyxo::Rand15() / 32767.0 < 0.5 ? a : b;
    return static_cast<int>(Pyxo::Rand15() % (span + 1) + a);
}
