// The AVX2 span kernels of the Rgb888 format block, additive draw (table entries 160 .. 191).
#define RASTER_SPAN_PART 5
#include "graphics/raster/SpanKernelsAvx2Part.h"
