#pragma once

#include "graphics/raster/FixedPoint.h"
#include "graphics/raster/QuadFrame.h"
#include "graphics/raster/ScanConverter.h"
#include "graphics/raster/SpanKernels.h"
#include "graphics/raster/TriangleFrame.h"

#include <algorithm>
#include <cstddef>
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
using PixelOf =
    std::conditional_t<kFormat == PixelFormat::Rgb565 || kFormat == PixelFormat::Rgb555, uint16_t, uint32_t>;

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

    static bool CanJoin() { return false; }
    void ShadeSpans(Pixel*, int32_t, const int32_t*, const int32_t*, int32_t, const int32_t*, const int32_t*) const {}

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

    TexturedStage(const TriTextureInfo& texture, const TriGlobalColor& color, SpanKernel kernel,
                  SpanPairKernel pairKernel, SpanRunKernel runKernel)
        : mKernel(kernel), mPairKernel(pairKernel),
          mRunKernel(runKernel), mContext{texture.texels,
                                          static_cast<uint32_t>(texture.count),
                                          static_cast<uint32_t>(texture.stride),
                                          GlobalChannel(color.red),
                                          GlobalChannel(color.green),
                                          GlobalChannel(color.blue),
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

    bool CanJoin() const { return mPairKernel != nullptr; }
    void ShadeSpans(Pixel* pixels, int32_t countA, const int32_t* valuesA, const int32_t* stepsA, int32_t countB,
                    const int32_t* valuesB, const int32_t* stepsB) const
    {
        mPairKernel(pixels, countA, valuesA, stepsA, countB, valuesB, stepsB, mContext);
    }

    bool CanRun() const { return mRunKernel != nullptr; }
    const SpanContext& Context() const { return mContext; }
    void ShadeRuns(Pixel* pixels, std::ptrdiff_t pitch, int32_t rows, const uint32_t* texels, std::ptrdiff_t stride,
                   const TexelRun* runs, int32_t runCount) const
    {
        mRunKernel(pixels, pitch, rows, texels, stride, runs, runCount, mContext);
    }

private:
    SpanKernel mKernel;
    SpanPairKernel mPairKernel; // null where spans are not joined
    SpanRunKernel mRunKernel;   // null where the shading needs more than the texels
    SpanContext mContext;
};

} // namespace Detail

namespace Detail {

/// Draws one triangle (vertices[0..2]) or, with kPair, two (vertices[0..5]) as ScanTrianglePair does.
template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive, bool kPair>
void DrawTriangles(const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
                   const TriGlobalColor& color)
{
    constexpr bool kVertex = (kFeatures & TriFeature::V) != 0;
    const SpanKernelTable& kernels = ActiveSpanKernels();
    constexpr std::size_t kIndex = SpanKernelIndex(kFormat, kFeatures, kAdditive);
    const auto scan = [&](const auto& stage) {
        if constexpr (kPair)
            ScanTrianglePair(vertices, vertices + 3, target, stage);
        else
            ScanTriangle(vertices, target, stage);
    };
    if constexpr ((kFeatures & TriFeature::T) == 0) {
        static_assert(kVertex, "an untextured triangle without vertex colour has nothing to draw");
        scan(UntexturedStage<kFormat, (kFeatures & TriFeature::G) != 0>(color, kernels.spans[kIndex]));
    } else {
        if (texture.texels == nullptr || texture.count <= 0)
            return;
        const TexturedStage<kFormat, kVertex> stage(texture, color, kernels.spans[kIndex], kernels.pairs[kIndex],
                                                    kernels.runs[kIndex]);
        if constexpr (kPair && !kVertex) {
            if (stage.CanRun() && stage.CanJoin() &&
                AxisQuadWalker<TexturedStage<kFormat, kVertex>>::Scan(vertices, vertices + 3, target, stage))
                return;
        }
        scan(stage);
    }
}

} // namespace Detail

template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void DrawTri(const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
             const TriGlobalColor& color)
{
    Detail::DrawTriangles<kFormat, kFeatures, kAdditive, false>(vertices, target, texture, color);
}

template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void DrawTriPair(const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
                 const TriGlobalColor& color)
{
    Detail::DrawTriangles<kFormat, kFeatures, kAdditive, true>(vertices, target, texture, color);
}

} // namespace Raster

/// Explicit instantiations of one feature set in every format and draw mode, for the converter sources.
#define RASTER_INSTANTIATE_DRAW_TRI_FORMAT(FUNCTION, FORMAT, LETTERS, ADDITIVE)                                        \
    template void Raster::FUNCTION<Raster::PixelFormat::FORMAT, Raster::TriFeatures(LETTERS), ADDITIVE>(               \
        const Raster::TriVertexFx*, const Raster::TriFrameBuffer&, const Raster::TriTextureInfo&,                      \
        const Raster::TriGlobalColor&)
#define RASTER_INSTANTIATE_DRAW_TRI_MODE(FUNCTION, LETTERS, ADDITIVE)                                                  \
    RASTER_INSTANTIATE_DRAW_TRI_FORMAT(FUNCTION, Argb8888, LETTERS, ADDITIVE);                                         \
    RASTER_INSTANTIATE_DRAW_TRI_FORMAT(FUNCTION, Rgb888, LETTERS, ADDITIVE);                                           \
    RASTER_INSTANTIATE_DRAW_TRI_FORMAT(FUNCTION, Rgb565, LETTERS, ADDITIVE);                                           \
    RASTER_INSTANTIATE_DRAW_TRI_FORMAT(FUNCTION, Rgb555, LETTERS, ADDITIVE)
#define RASTER_INSTANTIATE_DRAW_TRI(LETTERS)                                                                           \
    RASTER_INSTANTIATE_DRAW_TRI_MODE(DrawTri, LETTERS, false);                                                         \
    RASTER_INSTANTIATE_DRAW_TRI_MODE(DrawTri, LETTERS, true);                                                          \
    RASTER_INSTANTIATE_DRAW_TRI_MODE(DrawTriPair, LETTERS, false);                                                     \
    RASTER_INSTANTIATE_DRAW_TRI_MODE(DrawTriPair, LETTERS, true)
