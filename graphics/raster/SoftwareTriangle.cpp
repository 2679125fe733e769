#include "graphics/raster/SoftwareTriangle.h"

#include "graphics/raster/FixedPoint.h"
#include "graphics/raster/ScanConverter.h"
#include "graphics/raster/SpanKernels.h"
#include "graphics/raster/TriangleClipper.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace Raster {

namespace {

// Clip rectangles are kept within this many pixels of the origin, so that every clipped coordinate, and every
// difference of two, fits the 16.16 set-up of the converters.
constexpr int64_t kMaxExtent = 16384;

/// log2 of the bytes per pixel.
int PixelShift(PixelFormat format)
{
    return format == PixelFormat::Rgb565 || format == PixelFormat::Rgb555 ? 1 : 2;
}

/// The writable columns and rows: the clip rectangle within the destination. Empty when either is unusable.
TriFrameBuffer FrameBufferFor(const TriDestination& destination, const TriClipRect& clip)
{
    TriFrameBuffer target;
    target.bits = destination.bits;
    target.pitch = destination.pitch;
    const int shift = PixelShift(destination.format);
    const int64_t rowPixels = std::abs(static_cast<int64_t>(destination.pitch)) >> shift;
    // The row walk steps by whole pixels: a pitch of part pixels would put its rows elsewhere than this check
    // sizes them (below the block, for a negative one), so it is refused, as for textures.
    const bool wholePixels = (destination.pitch & ((1 << shift) - 1)) == 0;
    if (destination.bits == nullptr || destination.width <= 0 || destination.height <= 0 || !wholePixels ||
        rowPixels < destination.width)
        return target;
    const int64_t width = std::min<int64_t>(destination.width, kMaxExtent);
    const int64_t height = std::min<int64_t>(destination.height, kMaxExtent);
    const int64_t left = std::max<int64_t>(clip.x, 0);
    const int64_t top = std::max<int64_t>(clip.y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(clip.x) + clip.width, width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(clip.y) + clip.height, height);
    if (right <= left || bottom <= top)
        return target;
    target.left = static_cast<int32_t>(left);
    target.top = static_cast<int32_t>(top);
    target.right = static_cast<int32_t>(right);
    target.bottom = static_cast<int32_t>(bottom);
    return target;
}

/// The sampler's view of a texture; count 0 when it cannot be sampled safely.
TriTextureInfo TextureInfoFor(const TriTexture& texture)
{
    TriTextureInfo info;
    const int64_t pitch = texture.pitch == 0 ? static_cast<int64_t>(texture.width) * 4 : texture.pitch;
    if (texture.texels == nullptr || texture.width <= 0 || texture.height <= 0 || pitch % 4 != 0 ||
        pitch / 4 < texture.width)
        return info;
    const int64_t stride = pitch / 4;
    const int64_t count = (static_cast<int64_t>(texture.height) - 1) * stride + texture.width;
    if (count > INT32_MAX || stride > INT32_MAX)
        return info; // beyond what the samplers' 32-bit texel index can address
    info.texels = texture.texels;
    info.width = texture.width;
    info.stride = static_cast<int32_t>(stride);
    info.count = static_cast<int32_t>(count);
    return info;
}

bool IsFinite(const TriVertex& vertex, bool textured)
{
    return std::isfinite(vertex.x) && std::isfinite(vertex.y) &&
           (!textured || (std::isfinite(vertex.u) && std::isfinite(vertex.v)));
}

void SetColour(TriVertexFx& record, uint32_t color)
{
    record.a = static_cast<int32_t>((color >> 8) & 0xFF0000u);
    record.r = static_cast<int32_t>(color & 0xFF0000u);
    record.g = static_cast<int32_t>((color & 0xFF00u) << 8);
    record.b = static_cast<int32_t>((color & 0xFFu) << 16);
}

/// How far a texture coordinate may lie from where a whole-pixel translation puts it, in texels: float
/// coordinates of large images miss by far less; a sample this far off a texel centre is still in its texel.
constexpr double kTranslationSlack = 1.0 / 1024;

/// The corners of a quad (four vertices drawn as one strip) whose texture follows a whole-pixel translation:
/// an upright rectangle, one texel per pixel down and across or mirrored across, pixel centres on texel
/// centres. Such a quad samples texel centres exactly, where a bilinear filter gives the texel itself, so it is
/// drawn unfiltered, through the quad walk. The corners come as top-left, top-right, bottom-left, bottom-right,
/// the rectangle kept within a pixel of the bounds, the texture coordinates put exactly on the translation.
/// Empty when the quad is not such a one.
std::optional<std::array<TriVertexFx, 4>> TranslatedQuad(const TriVertex* vertices, const TriTexture& texture,
                                                         const ClipBounds& bounds)
{
    for (int i = 0; i < 4; ++i)
        if (!IsFinite(vertices[i], true))
            return std::nullopt;
    const auto [left, right] = std::minmax({vertices[0].x, vertices[1].x, vertices[2].x, vertices[3].x});
    const auto [top, bottom] = std::minmax({vertices[0].y, vertices[1].y, vertices[2].y, vertices[3].y});
    if (!(left < right) || !(top < bottom))
        return std::nullopt;
    // Which vertex is which corner: each one exactly on two of the sides, all four corners present.
    std::array<const TriVertex*, 4> corner{};
    for (int i = 0; i < 4; ++i) {
        const TriVertex& vertex = vertices[i];
        if ((vertex.x != left && vertex.x != right) || (vertex.y != top && vertex.y != bottom))
            return std::nullopt;
        const std::size_t at = (vertex.x == right ? 1 : 0) + (vertex.y == bottom ? 2 : 0);
        if (corner[at] != nullptr)
            return std::nullopt;
        corner[at] = &vertex;
    }
    const double width = texture.width;
    const double height = texture.height;
    const auto u = [&](std::size_t at) { return static_cast<double>(corner[at]->u) * width; };
    const auto v = [&](std::size_t at) { return static_cast<double>(corner[at]->v) * height; };
    const auto near = [](double a, double b) { return std::abs(a - b) <= kTranslationSlack; };
    if (!near(u(0), u(2)) || !near(u(1), u(3)) || !near(v(0), v(1)) || !near(v(2), v(3)))
        return std::nullopt;
    const double across = static_cast<double>(right) - left;
    const double sign = u(1) > u(0) ? 1.0 : -1.0;
    if (!near(u(1) - u(0), sign * across) || !near(v(2) - v(0), static_cast<double>(bottom) - top))
        return std::nullopt;
    // u = sign × x + offsetU and v = y + offsetV, both offsets a whole number and a half.
    const double offsetU = u(0) - sign * left;
    const double offsetV = v(0) - top;
    const double wholeU = std::floor(offsetU);
    const double wholeV = std::floor(offsetV);
    // Offsets of at most half the extent keep every coordinate inside the 16.16 range.
    if (!near(offsetU - wholeU, 0.5) || !near(offsetV - wholeV, 0.5) || std::abs(wholeU) > kMaxExtent / 2 ||
        std::abs(wholeV) > kMaxExtent / 2)
        return std::nullopt;

    // Kept within a pixel of the bounds, as other vertices are: the pixels inside do not change.
    const auto fx = [](float value, float low, float high) {
        return static_cast<int32_t>(std::clamp(value, low - 1.0f, high + 1.0f) * 65536.0);
    };
    const int32_t x0 = fx(left, bounds.left, bounds.right);
    const int32_t x1 = fx(right, bounds.left, bounds.right);
    const int32_t y0 = fx(top, bounds.top, bounds.bottom);
    const int32_t y1 = fx(bottom, bounds.top, bounds.bottom);
    const auto uFx = static_cast<int32_t>(wholeU) * kFxOne + kFxOne / 2;
    const auto vFx = static_cast<int32_t>(wholeV) * kFxOne + kFxOne / 2;
    const auto make = [&](int32_t x, int32_t y) {
        TriVertexFx record;
        record.x = x;
        record.y = y;
        record.u = sign > 0 ? x + uFx : uFx - x;
        record.v = y + vFx;
        return record;
    };
    return std::array<TriVertexFx, 4>{make(x0, y0), make(x1, y0), make(x0, y1), make(x1, y1)};
}

/// A translated quad's pixels (TranslatedQuad's corners) as blocks of texel runs: the rectangle's columns and rows
/// whose centres lie inside, cut to the target, each pixel the texel whose centre it is on; a row at a time
/// from reversed texels when mirrored. These are the pixels its two triangles give (the shared diagonal splits
/// the rectangle without a gap or an overlap, and every sample is a texel centre), without walking them. False,
/// drawing nothing, when a texel would lie outside the texture, where the triangles' samplers decide.
bool DrawTranslatedBlock(const std::array<TriVertexFx, 4>& corners, const TriFrameBuffer& target,
                         const TriTextureInfo& texture, int textureHeight, bool textureAlpha, bool globalColour,
                         const TriGlobalColor& color, PixelFormat format, DrawMode drawMode)
{
    const TriVertexFx& tl = corners[0];
    const bool mirrored = corners[1].u < tl.u;
    const int32_t left = std::max(Ceil16(tl.x), target.left);
    const int32_t right = std::min(Ceil16(corners[1].x), target.right);
    const int32_t top = std::max(Ceil16(tl.y), target.top);
    const int32_t bottom = std::min(Ceil16(corners[2].y), target.bottom);
    if (left >= right || top >= bottom)
        return true;
    // Pixel (c, r) sits on the centre of texel (c + offsetU, r + offsetV), or (offsetU − c, ...) mirrored.
    const int64_t offsetU = (static_cast<int64_t>(mirrored ? tl.u + tl.x : tl.u - tl.x) - kFxOne / 2) >> 16;
    const int64_t offsetV = (static_cast<int64_t>(tl.v - tl.y) - kFxOne / 2) >> 16;
    const int64_t firstColumn = mirrored ? offsetU - left : offsetU + left;
    const int64_t lastColumn = mirrored ? offsetU - (right - 1) : offsetU + (right - 1);
    const int64_t firstRow = offsetV + top;
    const int64_t lastRow = offsetV + bottom - 1;
    if (std::min(firstColumn, lastColumn) < 0 || std::max(firstColumn, lastColumn) >= texture.width || firstRow < 0 ||
        lastRow >= textureHeight)
        return false;

    // The kernel the converter would take: the plain 0x888 copy is the 8888 one.
    const bool additive = drawMode == DrawMode::Additive;
    const unsigned features = TriFeature::T | (textureAlpha ? TriFeature::A : 0u) | (globalColour ? TriFeature::G : 0u);
    const PixelFormat kernelFormat =
        format == PixelFormat::Rgb888 && features == TriFeature::T && !additive ? PixelFormat::Argb8888 : format;
    const SpanRunKernel kernel = ActiveSpanKernels().runs[SpanKernelIndex(kernelFormat, features, additive)];
    if (kernel == nullptr)
        return false;
    const auto channel = [](int32_t value) { return static_cast<uint32_t>(std::clamp<int32_t>(value, 0, 255)); };
    const SpanContext context{texture.texels,
                              static_cast<uint32_t>(texture.count),
                              static_cast<uint32_t>(texture.stride),
                              channel(color.red),
                              channel(color.green),
                              channel(color.blue),
                              channel(color.alpha)};
    const int shift = format == PixelFormat::Rgb565 || format == PixelFormat::Rgb555 ? 1 : 2;
    const std::ptrdiff_t pitch = target.pitch >> shift;
    auto* const origin = static_cast<uint8_t*>(target.bits) +
                         (static_cast<std::ptrdiff_t>(top) * pitch + left) * (std::ptrdiff_t{1} << shift);
    const int32_t count = right - left;
    const uint32_t* const firstTexels = texture.texels + firstRow * texture.stride;
    if (!mirrored) {
        const TexelRun run{0, count, static_cast<uint32_t>(firstColumn)};
        kernel(origin, pitch, bottom - top, firstTexels, texture.stride, &run, 1, context);
        return true;
    }
    constexpr int32_t kStretch = 512;
    uint32_t reversed[kStretch];
    for (int32_t row = 0; row < bottom - top; ++row) {
        const uint32_t* const first = firstTexels + static_cast<std::ptrdiff_t>(row) * texture.stride + firstColumn;
        uint8_t* const pixels = origin + static_cast<std::ptrdiff_t>(row) * pitch * (std::ptrdiff_t{1} << shift);
        for (int32_t done = 0; done < count; done += kStretch) {
            const int32_t length = std::min(kStretch, count - done);
            std::reverse_copy(first - done - (length - 1), first - done + 1, reversed);
            const TexelRun run{0, length, 0};
            kernel(pixels + static_cast<std::ptrdiff_t>(done) * (std::ptrdiff_t{1} << shift), 0, 1, reversed, 0, &run,
                   1, context);
        }
    }
    return true;
}

} // namespace

void SoftwareDrawTriangleStrip(const TriVertex* vertices, int count, const TriTexture* texture, uint32_t color,
                               DrawMode drawMode, const TriClipRect& clipRect, const TriDestination& destination,
                               bool filter, bool vertexColours)
{
    if (vertices == nullptr || count < 3)
        return;
    const TriFrameBuffer target = FrameBufferFor(destination, clipRect);
    if (target.right <= target.left || target.bottom <= target.top)
        return;

    // The right and bottom bounds are the clip rectangle's outer edges, so that its last column and row, whose
    // centres lie half a pixel inside, are drawn; the fill convention keeps shared edges drawn once.
    const ClipBounds bounds{static_cast<float>(target.left), static_cast<float>(target.right),
                            static_cast<float>(target.top), static_cast<float>(target.bottom)};

    const TriGlobalColor globalColor{static_cast<int32_t>(color >> 24), static_cast<int32_t>((color >> 16) & 0xFF),
                                     static_cast<int32_t>((color >> 8) & 0xFF), static_cast<int32_t>(color & 0xFF)};
    const bool globalColour = color != 0xFFFFFFFFu;
    const bool textured = texture != nullptr;
    const bool textureAlpha = textured && (texture->hasAlpha || texture->hasTransparency || filter);
    TriTextureInfo textureInfo;
    if (textured) {
        textureInfo = TextureInfoFor(*texture);
        if (textureInfo.count == 0)
            return; // nothing that could be sampled
    }
    const float textureWidth = textured ? static_cast<float>(texture->width) : 0.0f;
    const float textureHeight = textured ? static_cast<float>(texture->height) : 0.0f;

    ClipVertexPool pool;
    const auto dispatch = [&](const TriVertexFx* records, bool pair) {
        (pair ? DispatchTriPairConverter : DispatchTriScanConverter)(textured, textureAlpha, vertexColours,
                                                                     globalColour, records, target, textureInfo,
                                                                     globalColor, destination.format, filter, drawMode);
    };

    // Triangle j of the strip, clipped and in fixed point. False when nothing of it is left to draw. Clipping
    // reuses the pool, so the records are made before the next triangle is clipped.
    // A finite vertex in fixed point, its position kept within a pixel of the bounds.
    const auto convert = [&](const TriVertex& vertex) {
        TriVertexFx fx;
        fx.x = static_cast<int32_t>(std::clamp(vertex.x, bounds.left - 1.0f, bounds.right + 1.0f) * 65536.0);
        fx.y = static_cast<int32_t>(std::clamp(vertex.y, bounds.top - 1.0f, bounds.bottom + 1.0f) * 65536.0);
        if (textured) {
            fx.u = FloatToFx(vertex.u * textureWidth);
            fx.v = FloatToFx(vertex.v * textureHeight);
        }
        if (vertexColours)
            SetColour(fx, vertex.color);
        return fx;
    };
    const auto drawable = [&](const TriVertex& vertex) {
        return IsFinite(vertex, textured) && InsideBounds(vertex, bounds);
    };

    // A whole-pixel translation, as images and sprites are mostly drawn: unfiltered whatever the filter says, the
    // texture's own alpha deciding the blend, through the quad walk.
    if (count == 4 && textured && !vertexColours) {
        if (const auto corners = TranslatedQuad(vertices, *texture, bounds)) {
            const auto& c = *corners;
            const bool alpha = texture->hasAlpha || texture->hasTransparency;
            if (c[0].x < c[1].x && c[0].y < c[2].y &&
                ((drawMode != DrawMode::Normal && drawMode != DrawMode::Additive) ||
                 !DrawTranslatedBlock(c, target, textureInfo, texture->height, alpha, globalColour, globalColor,
                                      destination.format, drawMode))) {
                const std::array<TriVertexFx, 6> pair{c[0], c[1], c[2], c[1], c[3], c[2]};
                DispatchTriPairConverter(true, alpha, false, globalColour, pair.data(), target, textureInfo,
                                         globalColor, destination.format, false, drawMode);
            }
            return;
        }
    }

    // A lone quad inside the bounds, as images and sprites are drawn: the pair below, each corner converted once.
    if (count == 4 && drawable(vertices[0]) && drawable(vertices[1]) && drawable(vertices[2]) &&
        drawable(vertices[3])) {
        const TriVertexFx corners[4] = {convert(vertices[0]), convert(vertices[1]), convert(vertices[2]),
                                        convert(vertices[3])};
        const std::array<TriVertexFx, 6> pair{corners[0], corners[1], corners[2], corners[1], corners[3], corners[2]};
        dispatch(pair.data(), true);
        return;
    }

    using VertexRecords = ScratchArray<TriVertexFx, ClipPolygon::kCapacity>;
    const auto prepare = [&](int j, VertexRecords& records, int& vertexCount) {
        const TriVertex& v0 = vertices[j];
        const TriVertex& v1 = (j % 2 == 0) ? vertices[j + 1] : vertices[j + 2];
        const TriVertex& v2 = (j % 2 == 0) ? vertices[j + 2] : vertices[j + 1];
        if (!IsFinite(v0, textured) || !IsFinite(v1, textured) || !IsFinite(v2, textured))
            return false;
        const auto record = [&](const TriVertex& vertex, std::size_t i) { records[i] = convert(vertex); };
        if (InsideBounds(v0, bounds) && InsideBounds(v1, bounds) && InsideBounds(v2, bounds)) {
            record(v0, 0);
            record(v1, 1);
            record(v2, 2);
            vertexCount = 3;
            return true;
        }
        const ClipPolygon polygon = ClipTriangleToRect(v0, v1, v2, bounds, pool);
        if (polygon.count < 3)
            return false;
        for (int i = 0; i < polygon.count; ++i) {
            const TriVertex& vertex = *polygon.vertices[static_cast<std::size_t>(i)];
            // Far-off input can put a cut point well off its bound through float rounding, or make it NaN; such a
            // triangle is skipped, and positions are kept within a pixel of the bounds.
            if (!IsFinite(vertex, textured))
                return false;
            record(vertex, static_cast<std::size_t>(i));
        }
        vertexCount = polygon.count;
        return true;
    };

    // The polygon is drawn as the fan (0, 1, 2), (0, 2, 3), ... by the same converter.
    const auto drawFan = [&](const VertexRecords& records, int vertexCount) {
        std::array<TriVertexFx, 3> triangle{records[0], records[1], records[2]};
        for (int k = 2; k < vertexCount; ++k) {
            triangle[1] = records[static_cast<std::size_t>(k - 1)];
            triangle[2] = records[static_cast<std::size_t>(k)];
            dispatch(triangle.data(), false);
        }
    };

    VertexRecords records;
    VertexRecords nextRecords;
    for (int j = 0; j + 2 < count; ++j) {
        int vertexCount = 0;
        if (!prepare(j, records, vertexCount))
            continue;
        // Two whole triangles in a row (a quad, unless clipped) are drawn together, which gives the same pixels
        // as one after the other and lets the halves of each row be drawn as one span.
        int nextCount = 0;
        if (vertexCount == 3 && j + 3 < count && prepare(j + 1, nextRecords, nextCount)) {
            if (nextCount == 3) {
                std::array<TriVertexFx, 6> pair{records[0],     records[1],     records[2],
                                                nextRecords[0], nextRecords[1], nextRecords[2]};
                dispatch(pair.data(), true);
            } else {
                drawFan(records, vertexCount);
                drawFan(nextRecords, nextCount);
            }
            ++j;
            continue;
        }
        drawFan(records, vertexCount);
        if (vertexCount == 3 && j + 3 < count) {
            ++j; // the next triangle left nothing to draw
        }
    }
}

} // namespace Raster
