// One part of the AVX2 span-kernel table, included by each SpanKernelsAvx2<block>.cpp after it defines
// RASTER_SPAN_PART (0 .. 7): the kernels of table entries 32 × part .. 32 × part + 31, instantiated here only.
// Built with GCC on x86-64 alone; elsewhere the source is empty.
#ifndef RASTER_SPAN_PART
#error "define RASTER_SPAN_PART before including SpanKernelsAvx2Part.h"
#endif

#include "graphics/raster/SpanKernels.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2")
#define RASTER_SPAN_AVX2 1
#define RASTER_SPAN_NAMESPACE Avx2Span
#include "graphics/raster/VectorSpan.h"
#pragma GCC pop_options

namespace Raster::Detail {

namespace {

template <std::size_t kFirst, std::size_t... kIndex>
void FillEntries(SpanKernelTable& table, std::index_sequence<kIndex...>)
{
    ((table.spans[kFirst + kIndex] = Avx2Span::KernelAt<kFirst + kIndex>()), ...);
    ((table.pairs[kFirst + kIndex] = Avx2Span::PairKernelAt<kFirst + kIndex>()), ...);
    ((table.runs[kFirst + kIndex] = Avx2Span::RunKernelAt<kFirst + kIndex>()), ...);
}

} // namespace

template <std::size_t kPart>
void FillAvx2SpanKernels(SpanKernelTable& table)
{
    static_assert(kPart < kTriConverterCount / 32);
    FillEntries<32 * kPart>(table, std::make_index_sequence<32>{});
}

template void FillAvx2SpanKernels<RASTER_SPAN_PART>(SpanKernelTable& table);

} // namespace Raster::Detail
#endif
