// The AVX2 span kernels of the Argb8888 format block, additive draw (table entries 128 .. 159).
#define RASTER_SPAN_PART 4
#include "graphics/raster/SpanKernelsAvx2Part.h"
