#pragma once

#include <cstdint>
#include <limits>

namespace Raster {

/// 16.16 fixed-point arithmetic of the triangle set-up and the scan converters. Values wrap on overflow the
/// way 32-bit registers do; no function here is undefined for any argument, except a zero divisor.

constexpr int32_t kFxOne = 0x10000;

/// The low 32 bits of v, as a signed value.
constexpr int32_t WrapInt32(int64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

constexpr int32_t FxAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

constexpr int32_t FxSub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

/// a × b for a plain integer count b, wrapping.
constexpr int32_t FxTimes(int32_t a, int64_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(static_cast<uint64_t>(b)));
}

/// The product of two 16.16 values before it is cut to 32 bits.
constexpr int64_t FxMul64(int32_t a, int32_t b)
{
    return (static_cast<int64_t>(a) * b) >> 16;
}

constexpr int32_t FxMul(int32_t a, int32_t b)
{
    return WrapInt32(FxMul64(a, b));
}

/// 2^48 / d, truncated toward zero. d must not be 0.
constexpr int64_t FxReciprocal(int32_t d)
{
    return (int64_t{1} << 48) / d;
}

/// n × reciprocal as FxRatio takes it, for several ratios over one divisor (reciprocal = FxReciprocal(d)).
constexpr int32_t FxRatioOver(int64_t n, int64_t reciprocal)
{
    const uint64_t product = static_cast<uint64_t>(n) * static_cast<uint64_t>(reciprocal);
    return WrapInt32(static_cast<int64_t>(product) >> 32);
}

/// n / d in 16.16 through the truncated reciprocal, so FxRatio(3.0, 3.0) is 0xFFFF. Only the low 64 bits of
/// n × reciprocal count, as in the converters' set-up; gradients of colours and texture coordinates may wrap.
constexpr int32_t FxRatio(int64_t n, int32_t d)
{
    return FxRatioOver(n, FxReciprocal(d));
}

/// FxEdgeSlope over a reciprocal taken once (reciprocal = FxReciprocal(d), of d's sign).
constexpr int32_t FxEdgeSlopeOver(int32_t n, int64_t reciprocal)
{
    int64_t product = 0;
    if (!__builtin_mul_overflow(static_cast<int64_t>(n), reciprocal, &product)) {
        const int64_t slope = product >> 32;
        if (slope >= std::numeric_limits<int32_t>::min() && slope <= std::numeric_limits<int32_t>::max())
            return static_cast<int32_t>(slope);
    }
    return (n < 0) != (reciprocal < 0) ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}

/// FxRatio for an edge's x slope: where the result would wrap (an edge far steeper than the 16.16 range holds)
/// it saturates instead, so a span end cannot jump to the other side of the screen.
constexpr int32_t FxEdgeSlope(int32_t n, int32_t d)
{
    return FxEdgeSlopeOver(n, FxReciprocal(d));
}

/// The smallest whole number not below x (a 16.16 value), as a plain integer.
constexpr int32_t Ceil16(int32_t x)
{
    return static_cast<int32_t>((static_cast<int64_t>(x) + 0xFFFF) >> 16);
}

/// The largest whole number of 16.16 units not above x.
constexpr int32_t FxFloor(int32_t x)
{
    return static_cast<int32_t>(static_cast<uint32_t>(x) & 0xFFFF0000u);
}

/// f × 65536 truncated toward zero; values beyond the 32-bit range saturate and NaN gives 0.
constexpr int32_t FloatToFx(float f)
{
    const double scaled = static_cast<double>(f) * 65536.0; // exact: a float times a power of two
    if (!(scaled == scaled))
        return 0;
    if (scaled >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (scaled <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(scaled);
}

} // namespace Raster
