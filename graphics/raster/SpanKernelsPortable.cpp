// The span kernels in plain C++ for any processor: the compiler maps the generic vectors onto whatever the
// target has (SSE2 on x86-64, NEON on 64-bit ARM, scalar code elsewhere).
#include "graphics/raster/SpanKernels.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#define RASTER_SPAN_NAMESPACE PortableSpan
#include "graphics/raster/VectorSpan.h"

namespace Raster::Detail {

const SpanKernelTable& PortableSpanKernels()
{
    static constexpr SpanKernelTable kTable =
        PortableSpan::MakeKernelTable(std::make_index_sequence<kTriConverterCount>{});
    return kTable;
}

} // namespace Raster::Detail
