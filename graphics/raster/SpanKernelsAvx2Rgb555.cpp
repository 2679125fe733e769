// The AVX2 span kernels of the Rgb555 format block, normal draw (table entries 96 .. 127).
#define RASTER_SPAN_PART 3
#include "graphics/raster/SpanKernelsAvx2Part.h"
