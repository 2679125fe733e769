// The untextured converters: Gouraud-shaded vertex colour, with and without the global colour.
#include "graphics/raster/PixelStage.h"

namespace Raster {

void DrawTri_None(const TriVertexFx*, const TriFrameBuffer&, const TriTextureInfo&, const TriGlobalColor&) {}

} // namespace Raster

RASTER_INSTANTIATE_DRAW_TRI("V");
RASTER_INSTANTIATE_DRAW_TRI("VG");
