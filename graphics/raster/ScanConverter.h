#pragma once

#include "graphics/raster/SoftwareTriangle.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace Raster {

/// A clipped vertex in fixed point, as every scan converter receives it.
struct TriVertexFx {
    int32_t x = 0; // 16.16 pixels
    int32_t y = 0;
    int32_t a = 0; // vertex colour channels, each 0..255 shifted left by 16
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;
    int32_t u = 0; // 16.16 texels
    int32_t v = 0;
};

/// The texture as the samplers read it. Texel (column c, row r) is texels[r × stride + c]; any index, taken as
/// unsigned, at or beyond count reads as 0, so columns past the width read on into the next row.
struct TriTextureInfo {
    const uint32_t* texels = nullptr;
    int32_t width = 0;
    int32_t count = 0;  // (height − 1) × stride + width: width × height for rows without gaps
    int32_t stride = 0; // texels from one row to the next
};

/// The global colour's channels, 0..255 each.
struct TriGlobalColor {
    int32_t alpha = 255;
    int32_t red = 255;
    int32_t green = 255;
    int32_t blue = 255;
};

/// Where a converter may write: pixel (0, 0), the pitch in bytes, and the writable columns left .. right − 1
/// and rows top .. bottom − 1, which the caller keeps inside the buffer.
struct TriFrameBuffer {
    void* bits = nullptr;
    int32_t pitch = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

/// Fills one triangle. The three records may come in any vertical order and are left as they are.
using TriScanConverter = void (*)(const TriVertexFx* vertices, const TriFrameBuffer& target,
                                  const TriTextureInfo& texture, const TriGlobalColor& color);

/// Feature bits of a converter index, and the letters of converter names.
namespace TriFeature {
inline constexpr unsigned T = 16; // textured
inline constexpr unsigned A = 8;  // texture alpha
inline constexpr unsigned V = 4;  // vertex colour
inline constexpr unsigned G = 2;  // global colour
inline constexpr unsigned F = 1;  // bilinear filter
} // namespace TriFeature

/// The feature bits of a name's letters, as in TriFeatures("TAG").
constexpr unsigned TriFeatures(const char* letters)
{
    unsigned bits = 0;
    for (; *letters != 0; ++letters) {
        switch (*letters) {
        case 'T':
            bits |= TriFeature::T;
            break;
        case 'A':
            bits |= TriFeature::A;
            break;
        case 'V':
            bits |= TriFeature::V;
            break;
        case 'G':
            bits |= TriFeature::G;
            break;
        case 'F':
            bits |= TriFeature::F;
            break;
        default:
            break;
        }
    }
    return bits;
}

/// Index: 128 × additive + 32 × format block + feature bits, the format block being 0 for 32-bit ARGB (any
/// format value not named below), 1 for 0x888, 2 for 0x565 and 3 for 0x555.
inline constexpr std::size_t kTriConverterCount = 256;
inline constexpr std::size_t kTriAdditiveOffset = 128;

constexpr int TriFormatBlock(PixelFormat format)
{
    switch (format) {
    case PixelFormat::Rgb888:
        return 1;
    case PixelFormat::Rgb565:
        return 2;
    case PixelFormat::Rgb555:
        return 3;
    default:
        return 0;
    }
}

constexpr std::size_t TriConverterIndex(bool textured, bool textureAlpha, bool vertexColour, bool globalColour,
                                        bool filter, PixelFormat format, bool additive)
{
    return (additive ? kTriAdditiveOffset : 0) + 32 * static_cast<std::size_t>(TriFormatBlock(format)) +
           (textured ? TriFeature::T : 0) + (textureAlpha ? TriFeature::A : 0) + (vertexColour ? TriFeature::V : 0) +
           (globalColour ? TriFeature::G : 0) + (filter ? TriFeature::F : 0);
}

/// The converter of one format and feature set. Only the combinations that the table holds exist: they are
/// instantiated in the converter sources.
template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void DrawTri(const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
             const TriGlobalColor& color);

/// Two triangles, vertices[0..2] and vertices[3..5], with exactly the pixels of DrawTri on the first and then
/// on the second; drawn row by row together, so that the halves of a quad's rows can be drawn as one span.
template <PixelFormat kFormat, unsigned kFeatures, bool kAdditive>
void DrawTriPair(const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
                 const TriGlobalColor& color);

/// Stands in every slot of an untextured triangle without vertex colour: draws nothing.
void DrawTri_None(const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
                  const TriGlobalColor& color);

namespace Detail {

struct TriConverterKey {
    bool none = false;
    PixelFormat format = PixelFormat::Argb8888;
    unsigned features = 0;
    bool additive = false;
};

constexpr PixelFormat kBlockFormats[] = {PixelFormat::Argb8888, PixelFormat::Rgb888, PixelFormat::Rgb565,
                                         PixelFormat::Rgb555};

// Untextured slots ignore the texture-alpha and filter bits and need vertex colour. The plain textured slots of
// the 0x888 block reuse the 32-bit ARGB converters, whose opaque store is the same; additive ones differ, since
// 0x888 writes 0xFF into the alpha byte where ARGB keeps the destination's.
constexpr TriConverterKey TriConverterKeyAt(std::size_t index)
{
    TriConverterKey key;
    key.additive = index >= kTriAdditiveOffset;
    const std::size_t block = (index / 32) % 4;
    unsigned features = static_cast<unsigned>(index % 32);
    if ((features & TriFeature::T) == 0) {
        if ((features & TriFeature::V) == 0) {
            key.none = true;
            return key;
        }
        features &= TriFeature::V | TriFeature::G;
    }
    const bool plainTextured = (features & ~TriFeature::F) == TriFeature::T;
    key.format = block == 1 && plainTextured && !key.additive ? PixelFormat::Argb8888 : kBlockFormats[block];
    key.features = features;
    return key;
}

template <std::size_t kIndex, bool kPair>
constexpr TriScanConverter TriConverterAt()
{
    constexpr TriConverterKey key = TriConverterKeyAt(kIndex);
    if constexpr (key.none)
        return &DrawTri_None;
    else if constexpr (kPair)
        return &DrawTriPair<key.format, key.features, key.additive>;
    else
        return &DrawTri<key.format, key.features, key.additive>;
}

template <bool kPair, std::size_t... kIndex>
constexpr std::array<TriScanConverter, sizeof...(kIndex)> MakeTriConverterTable(std::index_sequence<kIndex...>)
{
    return {TriConverterAt<kIndex, kPair>()...};
}

} // namespace Detail

/// Every combination of format, features and draw mode, built at compile time.
inline constexpr std::array<TriScanConverter, kTriConverterCount> gTriScanConverters =
    Detail::MakeTriConverterTable<false>(std::make_index_sequence<kTriConverterCount>{});
static_assert(gTriScanConverters.size() == 256, "two draw modes × four formats × 32 feature sets");

/// The same table for pairs of triangles (six records), each entry drawing what its gTriScanConverters entry
/// draws for the first three records and then for the last three. DrawTri_None draws nothing either way.
inline constexpr std::array<TriScanConverter, kTriConverterCount> gTriPairConverters =
    Detail::MakeTriConverterTable<true>(std::make_index_sequence<kTriConverterCount>{});

/// Picks the converter for the flags, format and draw mode and calls it; a draw mode other than normal or
/// additive draws nothing.
void DispatchTriScanConverter(bool textured, bool textureAlpha, bool vertexColour, bool globalColour,
                              const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
                              const TriGlobalColor& color, PixelFormat format, bool filter, DrawMode drawMode);

/// The same for two triangles, vertices[0..2] and vertices[3..5], through gTriPairConverters.
void DispatchTriPairConverter(bool textured, bool textureAlpha, bool vertexColour, bool globalColour,
                              const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
                              const TriGlobalColor& color, PixelFormat format, bool filter, DrawMode drawMode);

// The normal-mode converters by name: format, then the letters of their features.
template <PixelFormat kFormat, unsigned kFeatures>
inline constexpr TriScanConverter kDrawTri = &DrawTri<kFormat, kFeatures, false>;

inline constexpr TriScanConverter DrawTri_8888_V = kDrawTri<PixelFormat::Argb8888, TriFeatures("V")>;
inline constexpr TriScanConverter DrawTri_8888_VG = kDrawTri<PixelFormat::Argb8888, TriFeatures("VG")>;
inline constexpr TriScanConverter DrawTri_8888_T = kDrawTri<PixelFormat::Argb8888, TriFeatures("T")>;
inline constexpr TriScanConverter DrawTri_8888_TF = kDrawTri<PixelFormat::Argb8888, TriFeatures("TF")>;
inline constexpr TriScanConverter DrawTri_8888_TG = kDrawTri<PixelFormat::Argb8888, TriFeatures("TG")>;
inline constexpr TriScanConverter DrawTri_8888_TGF = kDrawTri<PixelFormat::Argb8888, TriFeatures("TGF")>;
inline constexpr TriScanConverter DrawTri_8888_TV = kDrawTri<PixelFormat::Argb8888, TriFeatures("TV")>;
inline constexpr TriScanConverter DrawTri_8888_TVF = kDrawTri<PixelFormat::Argb8888, TriFeatures("TVF")>;
inline constexpr TriScanConverter DrawTri_8888_TVG = kDrawTri<PixelFormat::Argb8888, TriFeatures("TVG")>;
inline constexpr TriScanConverter DrawTri_8888_TVGF = kDrawTri<PixelFormat::Argb8888, TriFeatures("TVGF")>;
inline constexpr TriScanConverter DrawTri_8888_TA = kDrawTri<PixelFormat::Argb8888, TriFeatures("TA")>;
inline constexpr TriScanConverter DrawTri_8888_TAF = kDrawTri<PixelFormat::Argb8888, TriFeatures("TAF")>;
inline constexpr TriScanConverter DrawTri_8888_TAG = kDrawTri<PixelFormat::Argb8888, TriFeatures("TAG")>;
inline constexpr TriScanConverter DrawTri_8888_TAGF = kDrawTri<PixelFormat::Argb8888, TriFeatures("TAGF")>;
inline constexpr TriScanConverter DrawTri_8888_TAV = kDrawTri<PixelFormat::Argb8888, TriFeatures("TAV")>;
inline constexpr TriScanConverter DrawTri_8888_TAVF = kDrawTri<PixelFormat::Argb8888, TriFeatures("TAVF")>;
inline constexpr TriScanConverter DrawTri_8888_TAVG = kDrawTri<PixelFormat::Argb8888, TriFeatures("TAVG")>;
inline constexpr TriScanConverter DrawTri_8888_TAVGF = kDrawTri<PixelFormat::Argb8888, TriFeatures("TAVGF")>;
inline constexpr TriScanConverter DrawTri_888_V = kDrawTri<PixelFormat::Rgb888, TriFeatures("V")>;
inline constexpr TriScanConverter DrawTri_888_VG = kDrawTri<PixelFormat::Rgb888, TriFeatures("VG")>;
inline constexpr TriScanConverter DrawTri_888_TG = kDrawTri<PixelFormat::Rgb888, TriFeatures("TG")>;
inline constexpr TriScanConverter DrawTri_888_TGF = kDrawTri<PixelFormat::Rgb888, TriFeatures("TGF")>;
inline constexpr TriScanConverter DrawTri_888_TV = kDrawTri<PixelFormat::Rgb888, TriFeatures("TV")>;
inline constexpr TriScanConverter DrawTri_888_TVF = kDrawTri<PixelFormat::Rgb888, TriFeatures("TVF")>;
inline constexpr TriScanConverter DrawTri_888_TVG = kDrawTri<PixelFormat::Rgb888, TriFeatures("TVG")>;
inline constexpr TriScanConverter DrawTri_888_TVGF = kDrawTri<PixelFormat::Rgb888, TriFeatures("TVGF")>;
inline constexpr TriScanConverter DrawTri_888_TA = kDrawTri<PixelFormat::Rgb888, TriFeatures("TA")>;
inline constexpr TriScanConverter DrawTri_888_TAF = kDrawTri<PixelFormat::Rgb888, TriFeatures("TAF")>;
inline constexpr TriScanConverter DrawTri_888_TAG = kDrawTri<PixelFormat::Rgb888, TriFeatures("TAG")>;
inline constexpr TriScanConverter DrawTri_888_TAGF = kDrawTri<PixelFormat::Rgb888, TriFeatures("TAGF")>;
inline constexpr TriScanConverter DrawTri_888_TAV = kDrawTri<PixelFormat::Rgb888, TriFeatures("TAV")>;
inline constexpr TriScanConverter DrawTri_888_TAVF = kDrawTri<PixelFormat::Rgb888, TriFeatures("TAVF")>;
inline constexpr TriScanConverter DrawTri_888_TAVG = kDrawTri<PixelFormat::Rgb888, TriFeatures("TAVG")>;
inline constexpr TriScanConverter DrawTri_888_TAVGF = kDrawTri<PixelFormat::Rgb888, TriFeatures("TAVGF")>;
inline constexpr TriScanConverter DrawTri_565_V = kDrawTri<PixelFormat::Rgb565, TriFeatures("V")>;
inline constexpr TriScanConverter DrawTri_565_VG = kDrawTri<PixelFormat::Rgb565, TriFeatures("VG")>;
inline constexpr TriScanConverter DrawTri_565_T = kDrawTri<PixelFormat::Rgb565, TriFeatures("T")>;
inline constexpr TriScanConverter DrawTri_565_TF = kDrawTri<PixelFormat::Rgb565, TriFeatures("TF")>;
inline constexpr TriScanConverter DrawTri_565_TG = kDrawTri<PixelFormat::Rgb565, TriFeatures("TG")>;
inline constexpr TriScanConverter DrawTri_565_TGF = kDrawTri<PixelFormat::Rgb565, TriFeatures("TGF")>;
inline constexpr TriScanConverter DrawTri_565_TV = kDrawTri<PixelFormat::Rgb565, TriFeatures("TV")>;
inline constexpr TriScanConverter DrawTri_565_TVF = kDrawTri<PixelFormat::Rgb565, TriFeatures("TVF")>;
inline constexpr TriScanConverter DrawTri_565_TVG = kDrawTri<PixelFormat::Rgb565, TriFeatures("TVG")>;
inline constexpr TriScanConverter DrawTri_565_TVGF = kDrawTri<PixelFormat::Rgb565, TriFeatures("TVGF")>;
inline constexpr TriScanConverter DrawTri_565_TA = kDrawTri<PixelFormat::Rgb565, TriFeatures("TA")>;
inline constexpr TriScanConverter DrawTri_565_TAF = kDrawTri<PixelFormat::Rgb565, TriFeatures("TAF")>;
inline constexpr TriScanConverter DrawTri_565_TAG = kDrawTri<PixelFormat::Rgb565, TriFeatures("TAG")>;
inline constexpr TriScanConverter DrawTri_565_TAGF = kDrawTri<PixelFormat::Rgb565, TriFeatures("TAGF")>;
inline constexpr TriScanConverter DrawTri_565_TAV = kDrawTri<PixelFormat::Rgb565, TriFeatures("TAV")>;
inline constexpr TriScanConverter DrawTri_565_TAVF = kDrawTri<PixelFormat::Rgb565, TriFeatures("TAVF")>;
inline constexpr TriScanConverter DrawTri_565_TAVG = kDrawTri<PixelFormat::Rgb565, TriFeatures("TAVG")>;
inline constexpr TriScanConverter DrawTri_565_TAVGF = kDrawTri<PixelFormat::Rgb565, TriFeatures("TAVGF")>;
inline constexpr TriScanConverter DrawTri_555_V = kDrawTri<PixelFormat::Rgb555, TriFeatures("V")>;
inline constexpr TriScanConverter DrawTri_555_VG = kDrawTri<PixelFormat::Rgb555, TriFeatures("VG")>;
inline constexpr TriScanConverter DrawTri_555_T = kDrawTri<PixelFormat::Rgb555, TriFeatures("T")>;
inline constexpr TriScanConverter DrawTri_555_TF = kDrawTri<PixelFormat::Rgb555, TriFeatures("TF")>;
inline constexpr TriScanConverter DrawTri_555_TG = kDrawTri<PixelFormat::Rgb555, TriFeatures("TG")>;
inline constexpr TriScanConverter DrawTri_555_TGF = kDrawTri<PixelFormat::Rgb555, TriFeatures("TGF")>;
inline constexpr TriScanConverter DrawTri_555_TV = kDrawTri<PixelFormat::Rgb555, TriFeatures("TV")>;
inline constexpr TriScanConverter DrawTri_555_TVF = kDrawTri<PixelFormat::Rgb555, TriFeatures("TVF")>;
inline constexpr TriScanConverter DrawTri_555_TVG = kDrawTri<PixelFormat::Rgb555, TriFeatures("TVG")>;
inline constexpr TriScanConverter DrawTri_555_TVGF = kDrawTri<PixelFormat::Rgb555, TriFeatures("TVGF")>;
inline constexpr TriScanConverter DrawTri_555_TA = kDrawTri<PixelFormat::Rgb555, TriFeatures("TA")>;
inline constexpr TriScanConverter DrawTri_555_TAF = kDrawTri<PixelFormat::Rgb555, TriFeatures("TAF")>;
inline constexpr TriScanConverter DrawTri_555_TAG = kDrawTri<PixelFormat::Rgb555, TriFeatures("TAG")>;
inline constexpr TriScanConverter DrawTri_555_TAGF = kDrawTri<PixelFormat::Rgb555, TriFeatures("TAGF")>;
inline constexpr TriScanConverter DrawTri_555_TAV = kDrawTri<PixelFormat::Rgb555, TriFeatures("TAV")>;
inline constexpr TriScanConverter DrawTri_555_TAVF = kDrawTri<PixelFormat::Rgb555, TriFeatures("TAVF")>;
inline constexpr TriScanConverter DrawTri_555_TAVG = kDrawTri<PixelFormat::Rgb555, TriFeatures("TAVG")>;
inline constexpr TriScanConverter DrawTri_555_TAVGF = kDrawTri<PixelFormat::Rgb555, TriFeatures("TAVGF")>;

} // namespace Raster
