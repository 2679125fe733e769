// The span kernels in plain C++ for any processor: the compiler maps the generic vectors onto whatever the
// target has (SSE2 on x86-64, NEON on 64-bit ARM, scalar code elsewhere). The kernels themselves are compiled
// in the eight SpanKernelsPortable<block>.cpp sources, which build in parallel; this one joins their parts.
#include "graphics/raster/SpanKernels.h"

#include <cstddef>

namespace Raster::Detail {

const SpanKernelTable& PortableSpanKernels()
{
    static const SpanKernelTable kTable = [] {
        SpanKernelTable table{};
        FillPortableSpanKernels<0>(table);
        FillPortableSpanKernels<1>(table);
        FillPortableSpanKernels<2>(table);
        FillPortableSpanKernels<3>(table);
        FillPortableSpanKernels<4>(table);
        FillPortableSpanKernels<5>(table);
        FillPortableSpanKernels<6>(table);
        FillPortableSpanKernels<7>(table);
        return table;
    }();
    return kTable;
}

} // namespace Raster::Detail
