#include "graphics/raster/SpanKernels.h"

#include <atomic>

namespace Raster {

namespace {

bool ProcessorHasAvx2()
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

const SpanKernelTable* Avx2IfSupported()
{
    static const SpanKernelTable* const kernels = ProcessorHasAvx2() ? Detail::Avx2SpanKernels() : nullptr;
    return kernels;
}

std::atomic<const SpanKernelTable*>& Active()
{
    static std::atomic<const SpanKernelTable*> active{Avx2IfSupported() != nullptr ? Avx2IfSupported()
                                                                                   : &Detail::PortableSpanKernels()};
    return active;
}

} // namespace

const SpanKernelTable& ActiveSpanKernels()
{
    return *Active().load(std::memory_order_relaxed);
}

bool SelectSpanKernels(SpanIsa isa)
{
    const SpanKernelTable* kernels = isa == SpanIsa::Avx2 ? Avx2IfSupported() : &Detail::PortableSpanKernels();
    if (kernels == nullptr)
        return false;
    Active().store(kernels, std::memory_order_relaxed);
    return true;
}

} // namespace Raster
