// The AVX2 span kernels of the Argb8888 format block, normal draw (table entries 0 .. 31).
#define RASTER_SPAN_PART 0
#include "graphics/raster/SpanKernelsAvx2Part.h"
