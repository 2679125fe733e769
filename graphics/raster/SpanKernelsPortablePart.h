// One part of the portable span-kernel table, included by each SpanKernelsPortable<block>.cpp after it defines
// RASTER_SPAN_PART (0 .. 7): the kernels of table entries 32 × part .. 32 × part + 31, instantiated here only.
#ifndef RASTER_SPAN_PART
#error "define RASTER_SPAN_PART before including SpanKernelsPortablePart.h"
#endif

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

namespace {

template <std::size_t kFirst, std::size_t... kIndex>
void FillEntries(SpanKernelTable& table, std::index_sequence<kIndex...>)
{
    ((table.spans[kFirst + kIndex] = PortableSpan::KernelAt<kFirst + kIndex>()), ...);
    ((table.pairs[kFirst + kIndex] = PortableSpan::PairKernelAt<kFirst + kIndex>()), ...);
    ((table.runs[kFirst + kIndex] = PortableSpan::RunKernelAt<kFirst + kIndex>()), ...);
}

} // namespace

template <std::size_t kPart>
void FillPortableSpanKernels(SpanKernelTable& table)
{
    static_assert(kPart < kTriConverterCount / 32);
    FillEntries<32 * kPart>(table, std::make_index_sequence<32>{});
}

template void FillPortableSpanKernels<RASTER_SPAN_PART>(SpanKernelTable& table);

} // namespace Raster::Detail
