// The AVX2 span kernels of the Rgb888 format block, normal draw (table entries 32 .. 63).
#define RASTER_SPAN_PART 1
#include "graphics/raster/SpanKernelsAvx2Part.h"
