// The span kernels, written once over eight-lane vectors of the compiler's generic vector extension and
// compiled once per instruction set: each including source defines RASTER_SPAN_NAMESPACE and, for AVX2, turns
// that target on and defines RASTER_SPAN_AVX2 before including this file. Every kernel gives exactly the
// pixels of the plain per-pixel converters in reference/, lane by lane.
//
// Nothing from the standard library may be used here: an inline function of a standard header compiled under
// another target would be shared with the portable build at link time. Standard and intrinsic headers are
// included by the source before the target is switched.
#ifndef RASTER_SPAN_NAMESPACE
#error "define RASTER_SPAN_NAMESPACE before including VectorSpan.h"
#endif

#include "graphics/raster/SpanKernels.h"

#if defined(__GNUC__)
// The vectors never cross a call boundary outside this file's own source, so the ABI note does not apply. It
// stays off to the end of the source, where the kernels are instantiated. Both compilers read this spelling.
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace Raster::RASTER_SPAN_NAMESPACE {

#define RASTER_INLINE inline __attribute__((always_inline))
#define RASTER_INLINE_LAMBDA __attribute__((always_inline))

typedef uint32_t V __attribute__((vector_size(32)));
typedef int32_t VS __attribute__((vector_size(32)));
typedef float VF __attribute__((vector_size(32)));
typedef uint16_t V16 __attribute__((vector_size(16)));
typedef uint16_t V16x16 __attribute__((vector_size(32)));
typedef uint8_t V8x32 __attribute__((vector_size(32)));

constexpr int32_t kLanes = 8;
constexpr V kIota = {0, 1, 2, 3, 4, 5, 6, 7};

RASTER_INLINE V Splat(uint32_t x)
{
    return V{} + x;
}

/// a where mask is set, b elsewhere; masks are all ones or all zeros per lane.
RASTER_INLINE V Select(V mask, V a, V b)
{
    return mask != 0 ? a : b;
}

RASTER_INLINE V Min(V a, V b)
{
    return a < b ? a : b;
}

/// Byte by byte: min(255, a + b).
RASTER_INLINE V AddBytesSaturated(V a, V b)
{
#if defined(RASTER_SPAN_AVX2)
    return (V)_mm256_adds_epu8((__m256i)a, (__m256i)b);
#else
    const V8x32 sum = (V8x32)a + (V8x32)b;
    return (V)(sum < (V8x32)a ? V8x32{} + 255 : sum);
#endif
}

/// Byte by byte: max(0, a − b).
RASTER_INLINE V SubtractBytesSaturated(V a, V b)
{
#if defined(RASTER_SPAN_AVX2)
    return (V)_mm256_subs_epu8((__m256i)a, (__m256i)b);
#else
    return (V)((V8x32)a < (V8x32)b ? V8x32{} : (V8x32)a - (V8x32)b);
#endif
}

// Comparisons of values known to lie below 2^31, which compare fastest as signed.
RASTER_INLINE V Less(V a, V b)
{
    return (V)((VS)a < (VS)b);
}

RASTER_INLINE V LessEqual(V a, uint32_t b)
{
    return ~(V)((VS)a > (VS)Splat(b)); // one comparison where there is no "less or equal"
}

RASTER_INLINE V Equal(V a, uint32_t b)
{
    return (V)(a == b);
}

/// A carried colour channel read as 0 .. 0xFFFFFF.
RASTER_INLINE V Carried(V value)
{
    VS v = (VS)value;
    v = v < 0 ? VS{} : v;
    v = v > 0xFFFFFF ? VS{} + 0xFFFFFF : v;
    return (V)v;
}

RASTER_INLINE bool None(V mask)
{
#if defined(RASTER_SPAN_AVX2)
    return _mm256_testz_si256((__m256i)mask, (__m256i)mask) != 0;
#elif defined(__SSE2__)
    __m128i halves[2];
    __builtin_memcpy(halves, &mask, sizeof mask);
    return _mm_movemask_epi8(_mm_or_si128(halves[0], halves[1])) == 0;
#else
    uint32_t any = 0;
    for (int32_t i = 0; i < kLanes; ++i)
        any |= mask[i];
    return any == 0;
#endif
}

RASTER_INLINE bool All(V mask)
{
    return None(~mask);
}

/// texels[index] in the lanes where valid is set, 0 elsewhere; nothing is read for the others.
RASTER_INLINE V Gather(const uint32_t* texels, V index, V valid)
{
#if defined(RASTER_SPAN_AVX2)
    return (V)_mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(texels), (__m256i)index,
                                          (__m256i)valid, 4);
#else
    V out = {};
    for (int32_t i = 0; i < kLanes; ++i)
        out[i] = valid[i] != 0 ? texels[index[i]] : 0;
    return out;
#endif
}

/// The 8888 blend's division of each lane's n (below 2^17) by its cover (1..256): the same reciprocal
/// multiply as DivideByCover, in every lane.
RASTER_INLINE V DivideByCover(V n, V cover)
{
    const VF reciprocal = (VF{} + 1.0f) / __builtin_convertvector((VS)cover, VF);
    const VF nudged = (VF)((V)reciprocal + 1);
    return (V) __builtin_convertvector(__builtin_convertvector((VS)n, VF) * nudged, VS);
}

// ---------------------------------------------------------------------------------------------------------
// Frame-buffer words in and out of lanes.

template <class Pixel>
RASTER_INLINE V LoadGroup(const Pixel* pixels)
{
    if constexpr (sizeof(Pixel) == 4) {
        V v;
        __builtin_memcpy(&v, pixels, sizeof v);
        return v;
    } else {
        V16 h;
        __builtin_memcpy(&h, pixels, sizeof h);
        return __builtin_convertvector(h, V);
    }
}

template <class Pixel>
RASTER_INLINE void StoreGroup(Pixel* pixels, V v)
{
    if constexpr (sizeof(Pixel) == 4) {
        __builtin_memcpy(pixels, &v, sizeof v);
    } else {
        const V16 h = __builtin_convertvector(v, V16);
        __builtin_memcpy(pixels, &h, sizeof h);
    }
}

/// LoadGroup of texels as two 16-byte loads.
RASTER_INLINE V LoadHalves(const uint32_t* texels)
{
#if defined(RASTER_SPAN_AVX2)
    return (V)_mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(texels + 4),
                                  reinterpret_cast<const __m128i*>(texels));
#else
    return LoadGroup(texels);
#endif
}

/// Sixteen 16-bit words, two groups' worth, in one store.
RASTER_INLINE void StoreWords(uint16_t* pixels, V low, V high)
{
#if defined(RASTER_SPAN_AVX2)
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32((__m256i)low, (__m256i)high), 0xD8);
    __builtin_memcpy(pixels, &packed, sizeof packed);
#else
    const V16 words[2] = {__builtin_convertvector(low, V16), __builtin_convertvector(high, V16)};
    __builtin_memcpy(pixels, words, sizeof words);
#endif
}

// The first count (1..8) words only: nothing past them is read or written. The lanes past count read as 0.
template <class Pixel>
RASTER_INLINE V LoadPixels(const Pixel* pixels, int32_t count)
{
    if (count == kLanes)
        return LoadGroup(pixels);
#if defined(RASTER_SPAN_AVX2)
    if constexpr (sizeof(Pixel) == 4)
        return (V)_mm256_maskload_epi32(reinterpret_cast<const int*>(pixels), (__m256i)(kIota < (uint32_t)count));
#endif
    V v = {};
    for (int32_t i = 0; i < count; ++i)
        v[i] = pixels[i];
    return v;
}

template <class Pixel>
RASTER_INLINE void StorePixels(Pixel* pixels, V v, int32_t count)
{
    if (count == kLanes) {
        StoreGroup(pixels, v);
        return;
    }
    // In pieces of four, two and one pixels from a copy: masked vector stores are slow on some processors.
    Pixel copy[kLanes];
    StoreGroup(copy, v);
    const Pixel* from = copy;
    if (count & 4) {
        __builtin_memcpy(pixels, from, 4 * sizeof(Pixel));
        pixels += 4;
        from += 4;
    }
    if (count & 2) {
        __builtin_memcpy(pixels, from, 2 * sizeof(Pixel));
        pixels += 2;
        from += 2;
    }
    if (count & 1)
        *pixels = *from;
}

/// Where a group's eight lanes lie. A span of eight pixels or more is drawn in whole vectors only: a group
/// that would be partial overlaps its neighbour instead, and its lanes outside the group are written back as
/// they were read (the neighbour's are final already, or not drawn yet). Shorter spans work word by word.
template <class Pixel>
struct WholeGroup {
    static constexpr bool kStoresLiveOnly = false;
    Pixel* pixels;
    V live; // the lanes that belong to this group
    RASTER_INLINE V Load() const { return LoadGroup(pixels); }
    RASTER_INLINE void Store(V v) const { StoreGroup(pixels, v); }
};

template <class Pixel>
struct ShortGroup {
    static constexpr bool kStoresLiveOnly = true; // its live lanes are its first count
    Pixel* pixels;
    int32_t count;
    V live;
    RASTER_INLINE V Load() const { return LoadPixels(pixels, count); }
    RASTER_INLINE void Store(V v) const { StorePixels(pixels, v, count); }
};

RASTER_INLINE V Channel(V colour, int shift)
{
    return (colour >> shift) & 0xFF;
}

RASTER_INLINE V Pack(V red, V green, V blue)
{
    return (red << 16) | (green << 8) | blue;
}

/// (channel × factor) >> 8 for each colour channel of a packed colour, factor 0..256 given in both halves of
/// its lane (factor × 0x10001): the products fit 16 bits. The alpha byte comes out 0.
RASTER_INLINE V ScalePairs(V colour, V pairs)
{
    const V redBlue = (V)(((V16x16)(colour & 0xFF00FFu) * (V16x16)pairs) >> 8);
#if defined(RASTER_SPAN_AVX2)
    const V green = (V)_mm256_mulhi_epu16((__m256i)(colour & 0xFF00u), (__m256i)pairs) << 8;
#else
    const V green = (V)(((V16x16)((colour >> 8) & 0xFFu) * (V16x16)pairs) >> 8) << 8;
#endif
    return redBlue | green;
}

/// Each lane's alpha byte in both halves of the lane (alpha × 0x10001).
RASTER_INLINE V AlphaPairs(V texel)
{
#if defined(RASTER_SPAN_AVX2)
    const __m256i pick = _mm256_setr_epi8(3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128, 3,
                                          -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128);
    return (V)_mm256_shuffle_epi8((__m256i)texel, pick);
#else
    return (texel >> 24) * 0x10001u;
#endif
}

/// Lanes 0 .. count − 1.
RASTER_INLINE V FirstLanes(int32_t count)
{
    return count == kLanes ? ~V{} : (V)(kIota < (uint32_t)count);
}

// ---------------------------------------------------------------------------------------------------------
// The formats' store, blend and additive rules, over channel lanes of 0..255 (see reference/ for the rules).

// Sources come packed as 0x00RRGGBB with channels of 0..255.
template <PixelFormat kFormat>
struct Format32 {
    using Pixel = uint32_t;
    static constexpr bool kHasAlpha = kFormat == PixelFormat::Argb8888;

    static RASTER_INLINE V Store(V red, V green, V blue) { return (red << 16) | (green << 8) | blue | 0xFF000000u; }
    static RASTER_INLINE V StoreWord(V colour) { return colour | 0xFF000000u; }

    /// The blend; valid says which lanes will be kept, so that the shortcut for opaque destinations may
    /// ignore the rest.
    static RASTER_INLINE V Blend(V d, V a, V aPairs, V source, V valid)
    {
        if constexpr (kHasAlpha) {
            if (None(valid & ~Equal(d >> 24, 255)))
                return BlendOverOpaque(d, aPairs, source);
            const V dA = d >> 24;
            const V inverse = 256 - a;
            const V cover = 256 - (((256 - dA) * inverse) >> 8);
            const V noCover = Equal(cover, 0);
            const V divisor = cover | (noCover & 1);
            const V out = ((cover - 1) << 24) | (OverChannel(d, 16, dA, inverse, divisor, Channel(source, 16)) << 16) |
                          (OverChannel(d, 8, dA, inverse, divisor, Channel(source, 8)) << 8) |
                          OverChannel(d, 0, dA, inverse, divisor, Channel(source, 0));
            return Select(noCover, d, out);
        } else {
            const V weight = 255 - a;
            return (FadeChannel(d, 16, weight, Channel(source, 16)) << 16) |
                   (FadeChannel(d, 8, weight, Channel(source, 8)) << 8) |
                   FadeChannel(d, 0, weight, Channel(source, 0)) | 0xFF000000u;
        }
    }

    static RASTER_INLINE V Add(V d, V source)
    {
        // Channels saturate at 255 on their own; the source's alpha byte is 0, which keeps the destination's.
        const V sum = AddBytesSaturated(d, source);
        return kHasAlpha ? sum : (sum | 0xFF000000u);
    }

private:
    static RASTER_INLINE V OverChannel(V d, int shift, V dA, V inverse, V divisor, V source)
    {
        const V n = ((Channel(d, shift) * dA) >> 8) * inverse + (source << 8);
        return Min(DivideByCover(n, divisor), Splat(255));
    }
    static RASTER_INLINE V FadeChannel(V d, int shift, V weight, V source)
    {
        return Min(((Channel(d, shift) * weight) >> 8) + source, Splat(255));
    }

    /// Over a destination of alpha 255 the cover is 256 (for any a of 1 or more), so the division is a shift,
    /// and (n × inverse + 256 × S) / 256 is (n × inverse) / 256 + S. (c × 255) >> 8 is c − 1 for c ≥ 1 and 0
    /// for 0, a saturating subtract of all channels at once; its products with the inverse fit 16 bits, two
    /// channels to a pixel; each sum is at most 254 + 254, so a saturating byte add is the clamp to 255. Stored
    /// alpha 255.
    static RASTER_INLINE V BlendOverOpaque(V d, V aPairs, V source)
    {
        const V faded = SubtractBytesSaturated(d, Splat(0x01010101u));
        const V16x16 inverse = (V16x16)(0x01000100u - aPairs);
        const V redBlue = (V)(((V16x16)(faded & 0x00FF00FFu) * inverse) >> 8);
        const V green = (V)((V16x16)((faded >> 8) & 0x00FF00FFu) * inverse) & 0x0000FF00u;
        return AddBytesSaturated(redBlue | green, source) | 0xFF000000u;
    }
};

template <int kRedShift, int kGreenBits>
struct Format16 {
    using Pixel = uint16_t;
    static constexpr int kGreenDrop = 8 - kGreenBits;
    static constexpr uint32_t kGreenMax = (1u << kGreenBits) - 1;

    static RASTER_INLINE V Compose(V red, V green, V blue) { return (red << kRedShift) | (green << 5) | blue; }
    static RASTER_INLINE V Red(V d) { return (d >> kRedShift) & 31; }
    static RASTER_INLINE V Green(V d) { return (d >> 5) & kGreenMax; }
    static RASTER_INLINE V Blue(V d) { return d & 31; }

    static RASTER_INLINE V Store(V red, V green, V blue) { return Compose(red >> 3, green >> kGreenDrop, blue >> 3); }
    static RASTER_INLINE V StoreWord(V colour)
    {
        return ((colour >> (19 - kRedShift)) & (31u << kRedShift)) |
               ((colour >> (8 + kGreenDrop - 5)) & (kGreenMax << 5)) | ((colour >> 3) & 31);
    }

    static RASTER_INLINE V Blend(V d, V a, V, V source, V)
    {
        // Red and blue weighed by one product: neither field's product (at most 31 × 31) reaches the other.
        constexpr uint32_t kRedBlue = (31u << kRedShift) | 31u;
        constexpr uint32_t kGreen = kGreenMax << 5;
        const V k = (255 - a) >> 3;
        const V redBlue = (((d & kRedBlue) * k) >> 5) & kRedBlue;
        const V green = (((d & kGreen) * k) >> 5) & kGreen;
        return Compose(Min((redBlue >> kRedShift) + (Channel(source, 16) >> 3), Splat(31)),
                       Min((green >> 5) + (Channel(source, 8) >> kGreenDrop), Splat(kGreenMax)),
                       Min((redBlue & 31) + (Channel(source, 0) >> 3), Splat(31)));
    }

    static RASTER_INLINE V Add(V d, V source)
    {
        return Compose(Min(Red(d) + (Channel(source, 16) >> 3), Splat(31)),
                       Min(Green(d) + (Channel(source, 8) >> kGreenDrop), Splat(kGreenMax)),
                       Min(Blue(d) + (Channel(source, 0) >> 3), Splat(31)));
    }
};

template <PixelFormat kFormat>
struct FormatOf : Format32<kFormat> {
};
template <>
struct FormatOf<PixelFormat::Rgb565> : Format16<11, 6> {
};
template <>
struct FormatOf<PixelFormat::Rgb555> : Format16<10, 5> {
};

// ---------------------------------------------------------------------------------------------------------
// Span driving: lanes of carried values, and groups of eight pixels with a partial group at the end.

/// The next group's length, at most remaining. On long spans groups start on a multiple of their own size
/// in memory, so that no full group's store straddles two cache lines; on short ones the partial group that
/// this takes costs more than it saves.
template <class Pixel>
RASTER_INLINE int32_t GroupLength(const Pixel* pixels, int32_t remaining)
{
    if (remaining < 8 * kLanes)
        return remaining < kLanes ? remaining : kLanes;
    const auto word = reinterpret_cast<__UINTPTR_TYPE__>(pixels) / sizeof(Pixel);
    return kLanes - static_cast<int32_t>(word % kLanes);
}

template <int kCarried>
struct Lanes {
    V value[kCarried > 0 ? kCarried : 1];
};

template <int kCarried>
RASTER_INLINE Lanes<kCarried> LanesAt(const int32_t* start, const int32_t* step, int32_t offset)
{
    Lanes<kCarried> lanes;
    for (int k = 0; k < kCarried; ++k) {
        const uint32_t s = static_cast<uint32_t>(step[k]);
        lanes.value[k] = Splat(static_cast<uint32_t>(start[k]) + static_cast<uint32_t>(offset) * s) + kIota * s;
    }
    return lanes;
}

// ---------------------------------------------------------------------------------------------------------
// Untextured: Gouraud-shaded colour faded by the carried alpha (the global colour is folded in at set-up).

template <PixelFormat kFormat, bool kAdditive>
struct UntexturedShade {
    using Format = FormatOf<kFormat>;
    using Pixel = typename Format::Pixel;

    const Lanes<4>& lanes;

    template <class Group>
    RASTER_INLINE void operator()(const Group& group) const
    {
        const V alpha = Carried(lanes.value[0]);
        const V red = Carried(lanes.value[1]);
        const V green = Carried(lanes.value[2]);
        const V blue = Carried(lanes.value[3]);
        const V keep = LessEqual(alpha, 0x80000) | ~group.live;
        const V opaque = kAdditive ? V{} : ~LessEqual(alpha, 0xF00000) & group.live;
        const V stored = Format::Store(red >> 16, green >> 16, blue >> 16);
        // Meshes are mostly all opaque or all translucent, so this branch is well predicted.
        if (!kAdditive && All(opaque)) {
            group.Store(stored);
            return;
        }
        const V d = group.Load();
        const V a = alpha >> 16;
        V source;
        if constexpr (kFormat == PixelFormat::Argb8888) // red enters with 16 fraction bits, green 8, blue none
            source = Pack((red * a) >> 24, ((green >> 8) * a) >> 16, ((blue >> 16) * a) >> 8);
        else
            source = Pack(((red >> 16) * a) >> 8, ((green >> 16) * a) >> 8, ((blue >> 16) * a) >> 8);
        V out = kAdditive ? Format::Add(d, source) : Format::Blend(d, a, a * 0x10001u, source, ~(keep | opaque));
        out = Select(opaque, stored, out);
        group.Store(Select(keep, d, out));
    }
};

/// Draws the group at pixel i of the pixels i..end − 1, in a stretch of a span that started at start, through
/// draw(group, first), first being the pixel of the group's lane 0. Returns how many pixels it drew.
template <class Pixel, class Draw>
RASTER_INLINE int32_t DrawGroup(Pixel* p, int32_t start, int32_t i, int32_t end, const Draw& draw)
{
    if (end - start < kLanes) {
        draw(ShortGroup<Pixel>{p + i, end - i, FirstLanes(end - i)}, i);
        return end - i;
    }
    const int32_t n = GroupLength(p + i, end - i);
    int32_t first = i;
    V live = ~V{};
    if (n < kLanes) {
        if (end - i > kLanes) { // up to a boundary; the rest of the vector is the next group's
            live = FirstLanes(n);
        } else { // the end: the vector's first lanes are the previous group's
            first = end - kLanes;
            live = ~FirstLanes(kLanes - n);
        }
    }
    draw(WholeGroup<Pixel>{p + first, live}, first);
    return n;
}

/// Draws the pixels start .. end − 1 through draw(group, first) in whole groups from start. A length that is
/// not a multiple of eight leaves a last group overlapping the one before it; that group is drawn first, so
/// that no load waits on a store that overlaps it only in part, which costs more than the group.
template <class Pixel, class Draw>
RASTER_INLINE void DrawStretch(Pixel* p, int32_t start, int32_t end, const Draw& draw)
{
    const int32_t length = end - start;
    if (length < kLanes) {
        if (length > 0)
            draw(ShortGroup<Pixel>{p + start, length, FirstLanes(length)}, start);
        return;
    }
    const int32_t tail = length % kLanes;
    if (tail != 0)
        draw(WholeGroup<Pixel>{p + end - kLanes, ~FirstLanes(kLanes - tail)}, end - kLanes);
    for (int32_t i = start; i + kLanes <= end; i += kLanes)
        draw(WholeGroup<Pixel>{p + i, ~V{}}, i);
}

template <PixelFormat kFormat, bool kAdditive>
void UntexturedSpan(void* pixels, int32_t count, const int32_t* values, const int32_t* steps, const SpanContext&)
{
    using Shade = UntexturedShade<kFormat, kAdditive>;
    auto* p = static_cast<typename Shade::Pixel*>(pixels);
    const auto draw = [&](const auto& group, int32_t first)
                          RASTER_INLINE_LAMBDA { Shade{LanesAt<4>(values, steps, first)}(group); };
    for (int32_t i = 0; i < count;)
        i += DrawGroup(p, 0, i, count, draw);
}

// ---------------------------------------------------------------------------------------------------------
// Textured: a sampled texel, tinted and faded by the global or vertex colour, with or without texture alpha.

struct Sample {
    V colour; // 0x00RRGGBB
    V alpha;
    V pairs; // alpha × 0x10001
};

RASTER_INLINE Sample SampleOf(V texel)
{
    return {texel & 0xFFFFFFu, texel >> 24, AlphaPairs(texel)};
}

/// The texel at each lane's index; 0 at or beyond the texel count.
RASTER_INLINE V GuardedTexel(const SpanContext& context, V index)
{
    return Gather(context.texels, index, (V)(index < context.count));
}

RASTER_INLINE Sample NearestSample(const SpanContext& context, V u, V v)
{
    return SampleOf(GuardedTexel(context, (v >> 16) * context.stride + (u >> 16)));
}

RASTER_INLINE Sample BilinearSample(const SpanContext& context, V u, V v)
{
    const V us = u - 0x8000;
    const V vs = v - 0x8000;
    const V stride = Splat(context.stride);
    const V index = (V)((VS)vs >> 16) * stride + (V)((VS)us >> 16);
    const V t00 = GuardedTexel(context, index);
    const V t10 = GuardedTexel(context, index + 1);
    const V t01 = GuardedTexel(context, index + stride);
    const V t11 = GuardedTexel(context, index + stride + 1);

    const V fx = (us & 0xFFFE) + 1;
    const V fy = (vs & 0xFFFE) + 1;
    const V gx = 0x10000 - fx;
    const V gy = 0x10000 - fy;
    const V w00 = (((gx * gy) >> 16) * (t00 >> 24)) >> 16;
    const V w10 = (((fx * gy) >> 16) * (t10 >> 24)) >> 16;
    const V w01 = (((gx * fy) >> 16) * (t01 >> 24)) >> 16;
    const V w11 = (((fx * fy) >> 16) * (t11 >> 24)) >> 16;
    // The weights add up to at most 255, so red and blue share one product per texel without carry.
    const V redBlue =
        (t00 & 0xFF00FFu) * w00 + (t10 & 0xFF00FFu) * w10 + (t01 & 0xFF00FFu) * w01 + (t11 & 0xFF00FFu) * w11;
    const V green = (t00 & 0xFF00u) * w00 + (t10 & 0xFF00u) * w10 + (t01 & 0xFF00u) * w01 + (t11 & 0xFF00u) * w11;
    const V alpha = w00 + w10 + w01 + w11;
    return {((redBlue >> 8) & 0xFF00FFu) | ((green >> 8) & 0xFF00u), alpha, alpha * 0x10001u};
}

template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
struct TexturedShade {
    using Format = FormatOf<kFormat>;
    using Pixel = typename Format::Pixel;
    static constexpr bool kFiltered = (kFeatures & TriFeature::F) != 0;
    static constexpr bool kTextureAlpha = (kFeatures & TriFeature::A) != 0;
    static constexpr bool kVertex = (kFeatures & TriFeature::V) != 0;
    static constexpr bool kGlobal = (kFeatures & TriFeature::G) != 0;
    static constexpr bool kFactors = kVertex || kGlobal;
    static constexpr bool kAdditiveMode = kAdditive;
    static constexpr int kCarried = kVertex ? 6 : 2;

    const Sample& sample;
    const Lanes<kCarried>& lanes;
    const SpanContext& context;

    template <class Group>
    RASTER_INLINE void operator()(const Group& group) const
    {
        if constexpr (!kFactors && !kTextureAlpha) {
            // Every texel is opaque, and one read outside the texture is black.
            if constexpr (kAdditive) {
                const V d = group.Load();
                group.Store(Select(group.live, Format::Add(d, sample.colour), d));
            } else if (Group::kStoresLiveOnly || All(group.live)) {
                // No read of the destination: a missed cache line there would hold up every store behind it.
                group.Store(Format::StoreWord(sample.colour));
            } else {
                group.Store(Select(group.live, Format::StoreWord(sample.colour), group.Load()));
            }
            return;
        }

        // No branch on the texels from here on: sprite edges would make it unpredictable.
        V keep = ~group.live;
        V texelAlpha = Splat(255);
        if constexpr (kTextureAlpha) {
            keep |= LessEqual(sample.pairs, 8 * 0x10001u);
            texelAlpha = sample.alpha;
        }

        V alpha = texelAlpha; // a factor of 256 leaves everything as it is
        V stored, source;
        if constexpr (kFactors) {
            V fRed, fGreen, fBlue, fAlpha;
            if constexpr (kVertex && kGlobal) {
                fAlpha = (context.alpha * Carried(lanes.value[2])) >> 24;
                fRed = (context.red * Carried(lanes.value[3])) >> 24;
                fGreen = (context.green * Carried(lanes.value[4])) >> 24;
                fBlue = (context.blue * Carried(lanes.value[5])) >> 24;
            } else if constexpr (kVertex) {
                fAlpha = Carried(lanes.value[2]) >> 16;
                fRed = Carried(lanes.value[3]) >> 16;
                fGreen = Carried(lanes.value[4]) >> 16;
                fBlue = Carried(lanes.value[5]) >> 16;
            } else {
                fAlpha = Splat(context.alpha);
                fRed = Splat(context.red);
                fGreen = Splat(context.green);
                fBlue = Splat(context.blue);
            }
            V red = (Channel(sample.colour, 16) * fRed) >> 8;
            V green = (Channel(sample.colour, 8) * fGreen) >> 8;
            V blue = (Channel(sample.colour, 0) * fBlue) >> 8;
            if constexpr (kFiltered) {
                red = (red * fAlpha) >> 8;
                green = (green * fAlpha) >> 8;
                blue = (blue * fAlpha) >> 8;
            }
            alpha = (fAlpha * texelAlpha) >> 8;
            stored = Format::Store(red, green, blue);
            source = Pack(red, green, blue);
        } else {
            stored = Format::StoreWord(sample.colour);
            source = sample.colour;
        }
        // The alpha in both halves of each lane, for 16-bit products; comparisons keep their order.
        const V pairs = kFactors || !kTextureAlpha ? alpha * 0x10001u : sample.pairs;
        if constexpr (kAdditive && kFormat == PixelFormat::Argb8888) {
            // Adding nothing leaves an 8888 pixel as it is, alpha included: skipped pixels add a zero source.
            // (Texture alpha 0 is skipped already.)
            V skip = keep;
            if constexpr (!kTextureAlpha || kFactors)
                skip |= Equal(pairs, 0);
            if constexpr (!kFiltered)
                source = ScalePairs(source, pairs);
            group.Store(Format::Add(group.Load(), source & ~skip));
            return;
        }
        const V opaque = kAdditive ? V{} : ~Less(pairs, Splat(240 * 0x10001u)) & group.live;
        if constexpr (!kTextureAlpha || kFactors)
            keep |= Equal(pairs, 0); // a fully transparent source leaves the destination as it is
        if constexpr (kTextureAlpha && !kAdditive) {
            // Sprites are mostly wholly opaque or wholly transparent inside, in stretches along a row.
            if (All(keep))
                return;
            if (All(opaque)) {
                group.Store(stored);
                return;
            }
        }
        if constexpr (!kFiltered) // filtered colours come premultiplied
            source = ScalePairs(source, pairs);
        const V d = group.Load();
        V out = kAdditive ? Format::Add(d, source) : Format::Blend(d, alpha, pairs, source, ~(keep | opaque));
        if constexpr (!kAdditive)
            out = Select(opaque, stored, out);
        group.Store(Select(keep, d, out));
    }
};

/// How many pixels from here on, at most limit, read texels base, base + 1, ... that all lie inside the
/// texture: texture coordinates that step one texel across and none down, as an unscaled, unrotated image
/// gives. 0 when fewer than minimum do.
RASTER_INLINE int32_t AxisRun(uint32_t fraction, int64_t delta, int32_t limit)
{
    // The pixels j ≥ 0 with 0 ≤ fraction + j × delta < 65536, whose texel stays in line.
    if (delta == 0)
        return limit;
    // |delta| is below 2^32, and a truncated gradient is mostly one unit off: no 64-bit division per span.
    const uint32_t room = delta < 0 ? fraction : 65535 - fraction;
    const auto magnitude = static_cast<uint32_t>(delta < 0 ? -delta : delta);
    const uint32_t run = (magnitude == 1 ? room : room / magnitude) + 1;
    return run < static_cast<uint32_t>(limit) ? static_cast<int32_t>(run) : limit;
}

RASTER_INLINE int32_t ContiguousRun(uint32_t u, uint32_t v, int32_t du, int32_t dv, int32_t limit,
                                    const SpanContext& context, uint32_t& base, int32_t minimum = kLanes)
{
    const int64_t deltaU = static_cast<int64_t>(du) - 0x10000;
    const int64_t deltaV = dv;
    if (deltaU * (minimum - 1) > 65535 || deltaU * (minimum - 1) < -65535 || deltaV * (minimum - 1) > 65535 ||
        deltaV * (minimum - 1) < -65535)
        return 0;
    const uint32_t column = u >> 16;
    // The column must not pass 65535, where the 32-bit coordinate wraps.
    if (static_cast<int64_t>(limit) > 65536 - static_cast<int64_t>(column))
        limit = static_cast<int32_t>(65536 - column);
    int32_t run = AxisRun(u & 0xFFFF, deltaU, limit);
    run = AxisRun(v & 0xFFFF, deltaV, run);
    base = (v >> 16) * context.stride + column;
    if (base >= context.count)
        return 0;
    if (static_cast<uint32_t>(run) > context.count - base)
        run = static_cast<int32_t>(context.count - base);
    return run >= minimum ? run : 0;
}

/// Draws the pixels start .. end − 1 of a span, whose texels are texels[start] .. texels[end − 1], and reads no
/// texel outside them.
template <class Shade>
RASTER_INLINE void DrawRun(typename Shade::Pixel* p, int32_t start, int32_t end, const uint32_t* texels,
                           const int32_t* values, const int32_t* steps, const SpanContext& context)
{
    using Format = typename Shade::Format;
    constexpr int kCarried = Shade::kCarried;
    const auto contiguous = [&]<class Group>(const Group& group, int32_t first) RASTER_INLINE_LAMBDA {
        // A run shorter than a group has no texels past its end to read.
        V texel;
        if constexpr (Group::kStoresLiveOnly)
            texel = LoadPixels(texels + first, group.count);
        else
            texel = LoadGroup(texels + first);
        const Sample sample = SampleOf(texel);
        Shade{sample, LanesAt<kCarried>(values, steps, first), context}(group);
    };
    using Pixel = typename Shade::Pixel;
    if constexpr (!Shade::kFactors && !Shade::kTextureAlpha && !Shade::kAdditiveMode) {
        // An opaque copy, stores only, so groups may overlap: aligned stores, loads running ahead of them.
        if (end - start >= 4 * kLanes) {
            const auto copy = [&](int32_t at) RASTER_INLINE_LAMBDA {
                StoreGroup(p + at, Format::StoreWord(LoadGroup(texels + at) & 0xFFFFFFu));
            };
            constexpr int32_t kAlign = 32 / sizeof(Pixel);
            const auto word = static_cast<int32_t>(reinterpret_cast<__UINTPTR_TYPE__>(p + start) / sizeof(Pixel));
            int32_t i = start;
            if (word % kAlign != 0) {
                for (int32_t j = 0; j < kAlign - word % kAlign; j += kLanes)
                    copy(start + j);
                i = start + kAlign - word % kAlign;
            }
            const auto copyFour = [&](auto load) RASTER_INLINE_LAMBDA {
                for (; end - i >= 4 * kLanes; i += 4 * kLanes) {
                    const V t0 = load(texels + i), t1 = load(texels + i + 8), t2 = load(texels + i + 16),
                            t3 = load(texels + i + 24);
                    if constexpr (sizeof(Pixel) == 2) {
                        StoreWords(p + i, Format::StoreWord(t0 & 0xFFFFFFu), Format::StoreWord(t1 & 0xFFFFFFu));
                        StoreWords(p + i + 16, Format::StoreWord(t2 & 0xFFFFFFu), Format::StoreWord(t3 & 0xFFFFFFu));
                    } else {
                        StoreGroup(p + i, Format::StoreWord(t0 & 0xFFFFFFu));
                        StoreGroup(p + i + 8, Format::StoreWord(t1 & 0xFFFFFFu));
                        StoreGroup(p + i + 16, Format::StoreWord(t2 & 0xFFFFFFu));
                        StoreGroup(p + i + 24, Format::StoreWord(t3 & 0xFFFFFFu));
                    }
                }
            };
            if (reinterpret_cast<__UINTPTR_TYPE__>(texels + i) % 32 == 0)
                copyFour([](const uint32_t* at) RASTER_INLINE_LAMBDA { return LoadGroup(at); });
            else // in halves, so that no load straddles two cache lines when the texels are 16-byte aligned
                copyFour([](const uint32_t* at) RASTER_INLINE_LAMBDA { return LoadHalves(at); });
            for (; end - i >= kLanes; i += kLanes)
                copy(i);
            if (i < end)
                copy(end - kLanes);
            return;
        }
    }
    DrawStretch(p, start, end, contiguous);
}

RASTER_INLINE uint32_t CoordinateAt(const int32_t* values, const int32_t* steps, int k, int32_t i)
{
    return static_cast<uint32_t>(values[k]) + static_cast<uint32_t>(i) * static_cast<uint32_t>(steps[k]);
}

/// A span, and optionally a second one that starts right after it (countB > 0), the spans of two triangles
/// of a strip in one row. When the second span's texels continue the first span's last run, both are drawn
/// as one run; this is only for shading that needs nothing per pixel but the texel, so that which span a
/// pixel belongs to does not matter.
template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive, bool kPair>
RASTER_INLINE void TexturedSpans(void* pixels, int32_t count, const int32_t* values, const int32_t* steps,
                                 int32_t countB, const int32_t* valuesB, const int32_t* stepsB,
                                 const SpanContext& context)
{
    if constexpr (!kPair)
        countB = 0;
    using Shade = TexturedShade<kFormat, kFeatures, kAdditive>;
    constexpr int kCarried = Shade::kCarried;
    auto* p = static_cast<typename Shade::Pixel*>(pixels);
    const auto sampled = [&](const auto& group, int32_t first) RASTER_INLINE_LAMBDA {
        const Lanes<kCarried> lanes = LanesAt<kCarried>(values, steps, first);
        const Sample sample = Shade::kFiltered ? BilinearSample(context, lanes.value[0], lanes.value[1])
                                               : NearestSample(context, lanes.value[0], lanes.value[1]);
        Shade{sample, lanes, context}(group);
    };
    int32_t i = 0;
    while (i < count) {
        if constexpr (!Shade::kFiltered) {
            uint32_t base = 0;
            const int32_t run = ContiguousRun(CoordinateAt(values, steps, 0, i), CoordinateAt(values, steps, 1, i),
                                              steps[0], steps[1], count - i, context, base, countB > 0 ? 1 : kLanes);
            if (run > 0) {
                int32_t end = i + run;
                if (kPair && end == count && countB > 0) {
                    uint32_t baseB = 0;
                    if (ContiguousRun(valuesB[0], valuesB[1], stepsB[0], stepsB[1], countB, context, baseB, 1) ==
                            countB &&
                        baseB == base + static_cast<uint32_t>(run)) {
                        end += countB;
                        countB = 0;
                    }
                }
                // The texels lie in a row: plain loads instead of gathers.
                if (end - i >= kLanes) {
                    DrawRun<Shade>(p, i, end, context.texels + base - i, values, steps, context);
                    i = end;
                    continue;
                }
                if (end > count) { // too short to draw as a run: the two spans one by one after all
                    countB = end - count;
                    end = count;
                }
            }
        }
        i += DrawGroup(p, 0, i, count, sampled);
    }
    if (kPair && countB > 0)
        TexturedSpans<kFormat, kFeatures, kAdditive, false>(p + count, countB, valuesB, stepsB, 0, nullptr, nullptr,
                                                            context);
}

template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void TexturedSpan(void* pixels, int32_t count, const int32_t* values, const int32_t* steps, const SpanContext& context)
{
    TexturedSpans<kFormat, kFeatures, kAdditive, false>(pixels, count, values, steps, 0, nullptr, nullptr, context);
}

template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void TexturedSpanPair(void* pixels, int32_t countA, const int32_t* valuesA, const int32_t* stepsA, int32_t countB,
                      const int32_t* valuesB, const int32_t* stepsB, const SpanContext& context)
{
    static_assert(TexturedShade<kFormat, kFeatures, kAdditive>::kCarried == 2);
    TexturedSpans<kFormat, kFeatures, kAdditive, true>(pixels, countA, valuesA, stepsA, countB, valuesB, stepsB,
                                                       context);
}

template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void TexturedRuns(void* pixels, __PTRDIFF_TYPE__ pitch, int32_t rows, const uint32_t* texels, __PTRDIFF_TYPE__ stride,
                  const TexelRun* runs, int32_t runCount, const SpanContext& context)
{
    using Shade = TexturedShade<kFormat, kFeatures, kAdditive>;
    static_assert(Shade::kCarried == 2 && !Shade::kFiltered);
    if (runCount <= 0)
        return;
    const int32_t unused[2] = {0, 0}; // the shading reads no carried value
    auto* p = static_cast<typename Shade::Pixel*>(pixels);
    constexpr int32_t kLine = 64 / sizeof(typename Shade::Pixel);
    const int32_t first = runs[0].offset;
    const int32_t width = runs[runCount - 1].offset + runs[runCount - 1].length - first;
    for (int32_t row = 0; row < rows; ++row, p += pitch, texels += stride) {
        // Each row is a new stream of addresses: ask for the one two rows on while this one is drawn.
        if (row + 4 < rows && width <= 16 * kLine) {
            for (int32_t i = 0; i < width; i += kLine)
                __builtin_prefetch(p + 4 * pitch + first + i, 1);
            __builtin_prefetch(p + 4 * pitch + first + width - 1, 1);
        }
        for (int32_t k = 0; k < runCount; ++k)
            DrawRun<Shade>(p + runs[k].offset, 0, runs[k].length, texels + runs[k].column, unused, unused, context);
    }
}

// ---------------------------------------------------------------------------------------------------------
// The table: the kernel of each converter at its SpanKernelIndex.

template <std::size_t kIndex>
constexpr SpanKernel KernelAt()
{
    constexpr bool kAdditive = kIndex >= kTriAdditiveOffset;
    constexpr PixelFormat kFormat = Raster::Detail::kBlockFormats[(kIndex / 32) % 4];
    constexpr unsigned kFeatures = kIndex % 32;
    if constexpr ((kFeatures & TriFeature::T) == 0) {
        // Untextured converters keep only the V and G bits; the global colour is folded in at set-up.
        if constexpr ((kFeatures & TriFeature::V) == 0 || (kFeatures & (TriFeature::A | TriFeature::F)) != 0)
            return nullptr;
        else
            return &UntexturedSpan<kFormat, kAdditive>;
    } else {
        return &TexturedSpan<kFormat, kFeatures, kAdditive>;
    }
}

/// Whether the shading of a table entry needs nothing per pixel but its texel (textured, unfiltered, no vertex
/// colour): the entries with pair and run kernels.
template <std::size_t kIndex>
constexpr bool ShadesTexelsOnly()
{
    constexpr unsigned kFeatures = kIndex % 32;
    return (kFeatures & TriFeature::T) != 0 && (kFeatures & (TriFeature::V | TriFeature::F)) == 0;
}

template <std::size_t kIndex>
constexpr SpanPairKernel PairKernelAt()
{
    if constexpr (!ShadesTexelsOnly<kIndex>())
        return nullptr;
    else
        return &TexturedSpanPair<Raster::Detail::kBlockFormats[(kIndex / 32) % 4], kIndex % 32,
                                 (kIndex >= kTriAdditiveOffset)>;
}

template <std::size_t kIndex>
constexpr SpanRunKernel RunKernelAt()
{
    if constexpr (!ShadesTexelsOnly<kIndex>())
        return nullptr;
    else
        return &TexturedRuns<Raster::Detail::kBlockFormats[(kIndex / 32) % 4], kIndex % 32,
                             (kIndex >= kTriAdditiveOffset)>;
}

template <std::size_t... kIndex>
constexpr SpanKernelTable MakeKernelTable(std::index_sequence<kIndex...>)
{
    return {{KernelAt<kIndex>()...}, {PairKernelAt<kIndex>()...}, {RunKernelAt<kIndex>()...}};
}

#undef RASTER_INLINE
#undef RASTER_INLINE_LAMBDA

} // namespace Raster::RASTER_SPAN_NAMESPACE
