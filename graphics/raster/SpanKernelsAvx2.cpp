// The span kernels built for AVX2 (x86-64 with GCC), chosen at run time when the processor has it.
#include "graphics/raster/SpanKernels.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
#define RASTER_HAVE_AVX2_KERNELS 1
#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2")
#define RASTER_SPAN_AVX2 1
#define RASTER_SPAN_NAMESPACE Avx2Span
#include "graphics/raster/VectorSpan.h"
#pragma GCC pop_options
#endif

namespace Raster::Detail {

const SpanKernelTable* Avx2SpanKernels()
{
#if defined(RASTER_HAVE_AVX2_KERNELS)
    static constexpr SpanKernelTable kTable = Avx2Span::MakeKernelTable(std::make_index_sequence<kTriConverterCount>{});
    return &kTable;
#else
    return nullptr;
#endif
}

} // namespace Raster::Detail
