// The span kernels built for AVX2 (x86-64 with GCC), chosen at run time when the processor has it. The kernels
// themselves are compiled in the eight SpanKernelsAvx2<block>.cpp sources, which build in parallel; this one joins
// their parts.
#include "graphics/raster/SpanKernels.h"

#include <cstddef>

namespace Raster::Detail {

const SpanKernelTable* Avx2SpanKernels()
{
#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
    static const SpanKernelTable kTable = [] {
        SpanKernelTable table{};
        FillAvx2SpanKernels<0>(table);
        FillAvx2SpanKernels<1>(table);
        FillAvx2SpanKernels<2>(table);
        FillAvx2SpanKernels<3>(table);
        FillAvx2SpanKernels<4>(table);
        FillAvx2SpanKernels<5>(table);
        FillAvx2SpanKernels<6>(table);
        FillAvx2SpanKernels<7>(table);
        return table;
    }();
    return &kTable;
#else
    return nullptr;
#endif
}

} // namespace Raster::Detail
