#pragma once

#include "graphics/raster/FixedPoint.h"
#include "graphics/raster/ScanConverter.h"
#include "graphics/raster/SpanKernels.h"
#include "graphics/raster/TriangleFrame.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

namespace Raster {

/// The converter template: the frame of TriangleFrame.h, with the carried values of the converter's family,
/// filling each span through the span kernel of its format, features and draw mode (SpanKernels.h). Include
/// only from the converter sources, which instantiate the converters.
namespace Detail {

inline uint32_t GlobalChannel(int32_t value)
{
    return static_cast<uint32_t>(std::clamp<int32_t>(value, 0, 255));
}

// Carried as a, r, g, b.
inline void LoadVertexColour(const TriVertexFx& vertex, int32_t* values)
{
    values[0] = vertex.a;
    values[1] = vertex.r;
    values[2] = vertex.g;
    values[3] = vertex.b;
}

template <PixelFormat kFormat>
using PixelOf = std::conditional_t<kFormat == PixelFormat::Rgb565 || kFormat == PixelFormat::Rgb555, uint16_t, uint32_t>;

/// Untextured: the vertex colours carried as a, r, g, b, each scaled once by the global colour at set-up when
/// it is on.
template <PixelFormat kFormat, bool kGlobal>
class UntexturedStage {
public:
    using Pixel = PixelOf<kFormat>;
    static constexpr int kCarried = 4;

    UntexturedStage(const TriGlobalColor& color, SpanKernel kernel)
        : mKernel(kernel), mFactors{GlobalChannel(color.alpha), GlobalChannel(color.red), GlobalChannel(color.green),
                                    GlobalChannel(color.blue)}
    {
    }

    void Load(const TriVertexFx& vertex, int32_t* values) const
    {
        LoadVertexColour(vertex, values);
        if constexpr (kGlobal) {
            for (int i = 0; i < 4; ++i)
                values[i] = static_cast<int32_t>((static_cast<uint32_t>(values[i]) * mFactors[i]) >> 8);
        }
    }

    void ShadeSpan(Pixel* pixels, int32_t count, const int32_t* values, const int32_t* steps) const
    {
        mKernel(pixels, count, values, steps, mContext);
    }

private:
    SpanKernel mKernel;
    uint32_t mFactors[4]; // a, r, g, b
    SpanContext mContext;
};

/// Textured: u and v, then the vertex colour's a, r, g, b when the converter has vertex colour.
template <PixelFormat kFormat, bool kVertex>
class TexturedStage {
public:
    using Pixel = PixelOf<kFormat>;
    static constexpr int kCarried = kVertex ? 6 : 2;

    TexturedStage(const TriTextureInfo& texture, const TriGlobalColor& color, SpanKernel kernel)
        : mKernel(kernel), mContext{texture.texels,           static_cast<uint32_t>(texture.count),
                                    static_cast<uint32_t>(texture.stride), GlobalChannel(color.red),
                                    GlobalChannel(color.green), GlobalChannel(color.blue),
                                    GlobalChannel(color.alpha)}
    {
    }

    void Load(const TriVertexFx& vertex, int32_t* values) const
    {
        values[0] = vertex.u;
        values[1] = vertex.v;
        if constexpr (kVertex)
            LoadVertexColour(vertex, values + 2);
    }

    void ShadeSpan(Pixel* pixels, int32_t count, const int32_t* values, const int32_t* steps) const
    {
        mKernel(pixels, count, values, steps, mContext);
    }

private:
    SpanKernel mKernel;
    SpanContext mContext;
};

} // namespace Detail

template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void DrawTri(const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
             const TriGlobalColor& color)
{
    constexpr bool kVertex = (kFeatures & TriFeature::V) != 0;
    const SpanKernel kernel = ActiveSpanKernels()[SpanKernelIndex(kFormat, kFeatures, kAdditive)];
    if constexpr ((kFeatures & TriFeature::T) == 0) {
        static_assert(kVertex, "an untextured triangle without vertex colour has nothing to draw");
        ScanTriangle(vertices, target,
                     Detail::UntexturedStage<kFormat, (kFeatures & TriFeature::G) != 0>(color, kernel));
    } else {
        if (texture.texels == nullptr || texture.count <= 0)
            return;
        ScanTriangle(vertices, target, Detail::TexturedStage<kFormat, kVertex>(texture, color, kernel));
    }
}

} // namespace Raster

/// Explicit instantiations of one feature set in every format and draw mode, for the converter sources.
#define RASTER_INSTANTIATE_DRAW_TRI_MODE(LETTERS, ADDITIVE)                                                            \
    template void Raster::DrawTri<Raster::PixelFormat::Argb8888, Raster::TriFeatures(LETTERS), ADDITIVE>(              \
        const Raster::TriVertexFx*, const Raster::TriFrameBuffer&, const Raster::TriTextureInfo&,                      \
        const Raster::TriGlobalColor&);                                                                                \
    template void Raster::DrawTri<Raster::PixelFormat::Rgb888, Raster::TriFeatures(LETTERS), ADDITIVE>(                \
        const Raster::TriVertexFx*, const Raster::TriFrameBuffer&, const Raster::TriTextureInfo&,                      \
        const Raster::TriGlobalColor&);                                                                                \
    template void Raster::DrawTri<Raster::PixelFormat::Rgb565, Raster::TriFeatures(LETTERS), ADDITIVE>(                \
        const Raster::TriVertexFx*, const Raster::TriFrameBuffer&, const Raster::TriTextureInfo&,                      \
        const Raster::TriGlobalColor&);                                                                                \
    template void Raster::DrawTri<Raster::PixelFormat::Rgb555, Raster::TriFeatures(LETTERS), ADDITIVE>(                \
        const Raster::TriVertexFx*, const Raster::TriFrameBuffer&, const Raster::TriTextureInfo&,                      \
        const Raster::TriGlobalColor&)
#define RASTER_INSTANTIATE_DRAW_TRI(LETTERS)                                                                           \
    RASTER_INSTANTIATE_DRAW_TRI_MODE(LETTERS, false);                                                                  \
    RASTER_INSTANTIATE_DRAW_TRI_MODE(LETTERS, true)
