#include "shell/Ratio.h"

#include <cstdint>
#include <limits>

namespace Pyxo {

void Ratio::Set(int numerator, int denominator)
{
    // In 64 bits, so that INT_MIN % -1 cannot trap.
    int64_t a = numerator;
    int64_t b = denominator;
    while (b != 0) {
        const int64_t rest = a % b;
        a = b;
        b = rest;
    }
    int64_t divisor = a;
    if (divisor == 0) {
        mNumerator = numerator;
        mDenominator = denominator;
        return;
    }
    // Only INT_MIN divided by -1 leaves int; the positive divisor reduces just as far.
    constexpr int64_t kMin = std::numeric_limits<int>::min();
    constexpr int64_t kMax = std::numeric_limits<int>::max();
    const auto fits = [&](int64_t value) { return value >= kMin && value <= kMax; };
    if (!fits(numerator / divisor) || !fits(denominator / divisor)) {
        divisor = -divisor;
    }
    mNumerator = static_cast<int>(numerator / divisor);
    mDenominator = static_cast<int>(denominator / divisor);
}

} // namespace Pyxo
