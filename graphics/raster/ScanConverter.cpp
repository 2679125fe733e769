#include "graphics/raster/ScanConverter.h"

namespace Raster {

void DispatchTriScanConverter(bool textured, bool textureAlpha, bool vertexColour, bool globalColour,
                              const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
                              const TriGlobalColor& color, PixelFormat format, bool filter, DrawMode drawMode)
{
    if (drawMode != DrawMode::Normal && drawMode != DrawMode::Additive)
        return;
    const std::size_t index = TriConverterIndex(textured, textureAlpha, vertexColour, globalColour, filter, format,
                                                drawMode == DrawMode::Additive);
    gTriScanConverters[index](vertices, target, texture, color);
}

void DispatchTriPairConverter(bool textured, bool textureAlpha, bool vertexColour, bool globalColour,
                              const TriVertexFx* vertices, const TriFrameBuffer& target, const TriTextureInfo& texture,
                              const TriGlobalColor& color, PixelFormat format, bool filter, DrawMode drawMode)
{
    if (drawMode != DrawMode::Normal && drawMode != DrawMode::Additive)
        return;
    const std::size_t index = TriConverterIndex(textured, textureAlpha, vertexColour, globalColour, filter, format,
                                                drawMode == DrawMode::Additive);
    gTriPairConverters[index](vertices, target, texture, color);
}

} // namespace Raster
