// The AVX2 span kernels of the Rgb565 format block, additive draw (table entries 192 .. 223).
#define RASTER_SPAN_PART 6
#include "graphics/raster/SpanKernelsAvx2Part.h"
