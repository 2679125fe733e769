#pragma once

#include "graphics/raster/FixedPoint.h"
#include "graphics/raster/ScanConverter.h"
#include "graphics/raster/reference/ReferenceFrameBufferFormat.h"
#include "graphics/raster/reference/ReferenceTexelSampler.h"
#include "graphics/raster/reference/ReferenceTriangleFrame.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

namespace Raster::Reference {

/// The per-pixel stages of the converter families, and the converter template that joins a stage to the
/// frame: the plain, one-pixel-at-a-time form that the optimised converters must match pixel for pixel.
/// Include only from ReferenceConverters.cpp, which instantiates them.
namespace Detail {

/// A carried colour channel, read as 0 .. 0xFFFFFF (255.99 in 16.16). The set-up's truncations can leave a
/// channel a little below 0 or above its largest value next to an edge; it reads as the nearest value in range.
inline uint32_t CarriedChannel(int32_t value)
{
    return static_cast<uint32_t>(std::clamp<int32_t>(value, 0, 0xFFFFFF));
}

inline uint32_t GlobalChannel(int32_t value)
{
    return static_cast<uint32_t>(std::clamp<int32_t>(value, 0, 255));
}

/// (channel × factor) >> 8 for each channel of a 0x00RRGGBB colour; full white times 255 gives 254.
inline uint32_t Modulate(uint32_t colour, uint32_t red, uint32_t green, uint32_t blue)
{
    return Pack((Channel(colour, 16) * red) >> 8, (Channel(colour, 8) * green) >> 8, (Channel(colour, 0) * blue) >> 8);
}

inline uint32_t Scale(uint32_t colour, uint32_t factor)
{
    return Modulate(colour, factor, factor, factor);
}

/// Per-pixel colour factors 0..255, or 256 where a factor leaves its channel unchanged.
struct ColourFactors {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
    uint32_t alpha;
};

/// Factor policies of the textured families: where the tint and fade of a texel come from.
struct NoFactors {
    static constexpr int kCarried = 0;
    static constexpr bool kNone = true;
    explicit NoFactors(const TriGlobalColor&) {}
    static void Load(const TriVertexFx&, int32_t*) {}
    static ColourFactors At(const int32_t*) { return {256, 256, 256, 256}; }
};

struct GlobalFactors {
    static constexpr int kCarried = 0;
    static constexpr bool kNone = false;
    explicit GlobalFactors(const TriGlobalColor& color)
        : mFactors{GlobalChannel(color.red), GlobalChannel(color.green), GlobalChannel(color.blue),
                   GlobalChannel(color.alpha)}
    {
    }
    static void Load(const TriVertexFx&, int32_t*) {}
    ColourFactors At(const int32_t*) const { return mFactors; }

private:
    ColourFactors mFactors;
};

// Carried as a, r, g, b.
inline void LoadVertexColour(const TriVertexFx& vertex, int32_t* values)
{
    values[0] = vertex.a;
    values[1] = vertex.r;
    values[2] = vertex.g;
    values[3] = vertex.b;
}

struct VertexFactors {
    static constexpr int kCarried = 4;
    static constexpr bool kNone = false;
    explicit VertexFactors(const TriGlobalColor&) {}
    static void Load(const TriVertexFx& vertex, int32_t* values) { LoadVertexColour(vertex, values); }
    static ColourFactors At(const int32_t* values)
    {
        return {CarriedChannel(values[1]) >> 16, CarriedChannel(values[2]) >> 16, CarriedChannel(values[3]) >> 16,
                CarriedChannel(values[0]) >> 16};
    }
};

// The global colour is applied once, here per pixel; the vertex colours are carried as given.
struct VertexGlobalFactors {
    static constexpr int kCarried = 4;
    static constexpr bool kNone = false;
    explicit VertexGlobalFactors(const TriGlobalColor& color)
        : mRed(GlobalChannel(color.red)), mGreen(GlobalChannel(color.green)), mBlue(GlobalChannel(color.blue)),
          mAlpha(GlobalChannel(color.alpha))
    {
    }
    static void Load(const TriVertexFx& vertex, int32_t* values) { LoadVertexColour(vertex, values); }
    ColourFactors At(const int32_t* values) const
    {
        return {(mRed * CarriedChannel(values[1])) >> 24, (mGreen * CarriedChannel(values[2])) >> 24,
                (mBlue * CarriedChannel(values[3])) >> 24, (mAlpha * CarriedChannel(values[0])) >> 24};
    }

private:
    uint32_t mRed;
    uint32_t mGreen;
    uint32_t mBlue;
    uint32_t mAlpha;
};

/// Gouraud-shaded colour without texture, faded by the carried alpha: skipped at 8.0 or less, blended up to
/// 240.0, stored opaquely above. With the global colour, each vertex colour is scaled by it once at set-up.
template <PixelFormat kFormat, bool kGlobal, bool kAdditive>
class UntexturedStage {
public:
    using Format = FrameBufferFormat<kFormat>;
    using Pixel = typename Format::Pixel;
    static constexpr int kCarried = 4;

    explicit UntexturedStage(const TriGlobalColor& color)
        : mAlpha(GlobalChannel(color.alpha)), mRed(GlobalChannel(color.red)), mGreen(GlobalChannel(color.green)),
          mBlue(GlobalChannel(color.blue))
    {
    }

    void Load(const TriVertexFx& vertex, int32_t* values) const
    {
        LoadVertexColour(vertex, values);
        if constexpr (kGlobal) {
            const uint32_t factors[4] = {mAlpha, mRed, mGreen, mBlue};
            for (int i = 0; i < 4; ++i)
                values[i] = static_cast<int32_t>((static_cast<uint32_t>(values[i]) * factors[i]) >> 8);
        }
    }

    void Shade(Pixel& pixel, const int32_t* values) const
    {
        const uint32_t alpha = CarriedChannel(values[0]);
        if (alpha <= 0x80000)
            return;
        const uint32_t red = CarriedChannel(values[1]);
        const uint32_t green = CarriedChannel(values[2]);
        const uint32_t blue = CarriedChannel(values[3]);
        if constexpr (!kAdditive) {
            if (alpha > 0xF00000) {
                pixel = Format::Store(Pack(red >> 16, green >> 16, blue >> 16));
                return;
            }
        }
        const uint32_t a = alpha >> 16;
        uint32_t source;
        if constexpr (kFormat == PixelFormat::Argb8888) // red enters with 16 fraction bits, green 8, blue none
            source = Pack((red * a) >> 24, ((green >> 8) * a) >> 16, ((blue >> 16) * a) >> 8);
        else
            source = Pack(((red >> 16) * a) >> 8, ((green >> 16) * a) >> 8, ((blue >> 16) * a) >> 8);
        pixel = kAdditive ? Format::Add(pixel, source) : Format::Blend(pixel, a, source);
    }

private:
    uint32_t mAlpha;
    uint32_t mRed;
    uint32_t mGreen;
    uint32_t mBlue;
};

/// A sampled texel tinted by the factors' colour and faded by their alpha. With texture alpha, a texel (or
/// filtered texel) of alpha 8 or less is skipped and the texel's alpha joins the fade; without it the texel
/// counts as opaque. A blend alpha of 240 or more stores the colour opaquely. Nearest members store the tinted
/// colour and premultiply it only for blending; filtered members premultiply by the factor alpha at once,
/// their colour being premultiplied by the texture alpha already.
template <PixelFormat kFormat, class Sampler, class Factors, bool kTextureAlpha, bool kAdditive>
class TexturedStage {
public:
    using Format = FrameBufferFormat<kFormat>;
    using Pixel = typename Format::Pixel;
    static constexpr int kCarried = 2 + Factors::kCarried;

    TexturedStage(const TriTextureInfo& texture, const TriGlobalColor& color) : mTexture(texture), mFactors(color) {}

    void Load(const TriVertexFx& vertex, int32_t* values) const
    {
        values[0] = vertex.u;
        values[1] = vertex.v;
        mFactors.Load(vertex, values + 2);
    }

    void Shade(Pixel& pixel, const int32_t* values) const
    {
        const TexelSample sample = Sampler::Sample(mTexture, values[0], values[1]);
        if constexpr (Factors::kNone && !kTextureAlpha) {
            // Every texel is opaque, and one read outside the texture is black.
            pixel = kAdditive ? Format::Add(pixel, sample.colour) : Format::Store(sample.colour);
        } else {
            uint32_t texelAlpha = 255;
            if constexpr (kTextureAlpha) {
                if (sample.alpha <= 8)
                    return;
                texelAlpha = sample.alpha;
            }
            const ColourFactors factors = mFactors.At(values + 2);
            uint32_t colour = Modulate(sample.colour, factors.red, factors.green, factors.blue);
            if constexpr (Sampler::kFiltered)
                colour = Scale(colour, factors.alpha);
            const uint32_t alpha = (factors.alpha * texelAlpha) >> 8;
            if constexpr (!kAdditive) {
                if (alpha >= 240) {
                    pixel = Format::Store(colour);
                    return;
                }
            }
            if (alpha == 0)
                return; // a fully transparent source leaves the destination as it is
            const uint32_t source = Sampler::kFiltered ? colour : Scale(colour, alpha);
            pixel = kAdditive ? Format::Add(pixel, source) : Format::Blend(pixel, alpha, source);
        }
    }

private:
    const TriTextureInfo& mTexture;
    Factors mFactors;
};

template <bool kVertex, bool kGlobal>
using FactorsFor = std::conditional_t<kVertex, std::conditional_t<kGlobal, VertexGlobalFactors, VertexFactors>,
                                      std::conditional_t<kGlobal, GlobalFactors, NoFactors>>;

} // namespace Detail

template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void DrawTri(const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
             const TriGlobalColor& color)
{
    constexpr bool kVertex = (kFeatures & TriFeature::V) != 0;
    constexpr bool kGlobal = (kFeatures & TriFeature::G) != 0;
    if constexpr ((kFeatures & TriFeature::T) == 0) {
        static_assert(kVertex, "an untextured triangle without vertex colour has nothing to draw");
        ScanTriangle(vertices, target, Detail::UntexturedStage<kFormat, kGlobal, kAdditive>(color));
    } else {
        if (texture.texels == nullptr || texture.count <= 0)
            return;
        using Sampler = std::conditional_t<(kFeatures & TriFeature::F) != 0, BilinearSampler, NearestSampler>;
        constexpr bool kTextureAlpha = (kFeatures & TriFeature::A) != 0;
        using Stage =
            Detail::TexturedStage<kFormat, Sampler, Detail::FactorsFor<kVertex, kGlobal>, kTextureAlpha, kAdditive>;
        ScanTriangle(vertices, target, Stage(texture, color));
    }
}

} // namespace Raster::Reference
