#include "graphics/SoftwareTriangleAdapter.h"

#include "graphics/MemoryImage.h"
#include "graphics/MemoryImagePixels.h"
#include "graphics/raster/SoftwareTriangle.h"

#include <array>
#include <vector>

namespace Pyxo {

namespace {

Raster::TriVertex ToRaster(const TriVertex& v)
{
    return Raster::TriVertex{v.x, v.y, v.u, v.v, v.color};
}

} // namespace

void SoftwareDrawTriangleStrip(const TriVertex* vertices, int count, MemoryImage* texture, const Color& color,
                               int drawMode, const Rect& clipRect, const TriTarget& target, bool linearBlend,
                               bool vertexColours)
{
    if (texture != nullptr) {
        texture->CommitBits();
    }
    if (vertices == nullptr || count < 3 || (drawMode != 0 && drawMode != 1)) {
        return;
    }
    Raster::TriTexture rasterTexture;
    if (texture != nullptr) {
        const uint32_t* texels = texture->GetBits();
        if (texels == nullptr || texture->GetWidth() <= 0 || texture->GetHeight() <= 0) {
            return; // nothing to sample
        }
        rasterTexture.texels = texels;
        rasterTexture.width = texture->GetWidth();
        rasterTexture.height = texture->GetHeight();
        rasterTexture.hasAlpha = texture->mHasAlpha;
        rasterTexture.hasTransparency = texture->mHasTrans;
    }

    // Strips of the blits are three or four vertices long; longer ones are rare enough to allocate for.
    constexpr int kInline = 16;
    std::array<Raster::TriVertex, kInline> inlineVertices;
    std::vector<Raster::TriVertex> heapVertices;
    Raster::TriVertex* converted = inlineVertices.data();
    if (count > kInline) {
        heapVertices.resize(size_t(count));
        converted = heapVertices.data();
    }
    for (int i = 0; i < count; ++i) {
        converted[i] = ToRaster(vertices[i]);
    }

    const Raster::TriClipRect clip{clipRect.mX, clipRect.mY, clipRect.mWidth, clipRect.mHeight};
    const Raster::TriDestination destination{target.bits, target.width, target.height, target.pitch,
                                             static_cast<Raster::PixelFormat>(target.format)};
    Raster::SoftwareDrawTriangleStrip(converted, count, texture != nullptr ? &rasterTexture : nullptr,
                                      Pixels::DrawColor::Of(color).Packed(), static_cast<Raster::DrawMode>(drawMode),
                                      clip, destination, linearBlend, vertexColours);
}

} // namespace Pyxo
