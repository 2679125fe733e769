// The AVX2 span kernels of the Rgb565 format block, normal draw (table entries 64 .. 95).
#define RASTER_SPAN_PART 2
#include "graphics/raster/SpanKernelsAvx2Part.h"
