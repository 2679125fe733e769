// The AVX2 span kernels of the Rgb555 format block, additive draw (table entries 224 .. 255).
#define RASTER_SPAN_PART 7
#include "graphics/raster/SpanKernelsAvx2Part.h"
