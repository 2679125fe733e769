#pragma once

#include "graphics/raster/ScanConverter.h"

#include <array>

namespace Raster::Reference {

/// The converter table of the plain converters, which shade one pixel at a time with no vector code and no
/// shortcuts. Same layout as Raster::gTriScanConverters, and the pixels every optimised converter must give.
extern const std::array<TriScanConverter, kTriConverterCount> gTriScanConverters;

} // namespace Raster::Reference
