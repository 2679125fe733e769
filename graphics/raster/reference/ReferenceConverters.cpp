#include "graphics/raster/reference/ReferenceConverters.h"

#include "graphics/raster/reference/ReferencePixelStage.h"

#include <cstddef>
#include <utility>

namespace Raster::Reference {

namespace {

void DrawNothing(const TriVertexFx*, const TriFrameBuffer&, const TriTextureInfo&, const TriGlobalColor&) {}

template <std::size_t kIndex>
constexpr TriScanConverter ConverterAt()
{
    constexpr Raster::Detail::TriConverterKey key = Raster::Detail::TriConverterKeyAt(kIndex);
    if constexpr (key.none)
        return &DrawNothing;
    else
        return &DrawTri<key.format, key.features, key.additive>;
}

template <std::size_t... kIndex>
constexpr std::array<TriScanConverter, sizeof...(kIndex)> MakeTable(std::index_sequence<kIndex...>)
{
    return {ConverterAt<kIndex>()...};
}

} // namespace

const std::array<TriScanConverter, kTriConverterCount> gTriScanConverters =
    MakeTable(std::make_index_sequence<kTriConverterCount>{});

} // namespace Raster::Reference
