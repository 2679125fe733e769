#pragma once

#include "graphics/raster/ScanConverter.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace Raster {

/// What a span kernel reads besides the carried values: the texture, and the global colour's channels cut to
/// 0..255.
struct SpanContext {
    const uint32_t* texels = nullptr;
    uint32_t count = 0;
    uint32_t stride = 0;
    uint32_t red = 255;
    uint32_t green = 255;
    uint32_t blue = 255;
    uint32_t alpha = 255;
};

/// Shades count pixels from pixels rightward, the inner loop of every converter. values[i] is carried value i
/// at the first pixel and steps[i] its step per pixel (wrapping), in the order the converter's stage loads
/// them: u, v, then a, r, g, b for textured converters; a, r, g, b for untextured ones.
using SpanKernel = void (*)(void* pixels, int32_t count, const int32_t* values, const int32_t* steps,
                            const SpanContext& context);

/// Two adjacent spans of one row, the second starting right after the first, each with its own values and
/// steps (two triangles of a strip): the pixels of two SpanKernel calls, which the kernel may draw as one run.
using SpanPairKernel = void (*)(void* pixels, int32_t countA, const int32_t* valuesA, const int32_t* stepsA,
                                int32_t countB, const int32_t* valuesB, const int32_t* stepsB,
                                const SpanContext& context);

/// A stretch of a row drawn from texels that lie in a row of the texture, one texel per pixel: length pixels
/// from offset, from texels column .. column + length − 1.
struct TexelRun {
    int32_t offset;
    int32_t length;
    uint32_t column;
};

/// rows rows of the same runs: row r's pixels start at pixels + r × pitch and its texels at texels + r × stride,
/// both counted in words. The pixels a span kernel gives when a span's coordinates step one texel across and
/// stay in one texel row.
using SpanRunKernel = void (*)(void* pixels, std::ptrdiff_t pitch, int32_t rows, const uint32_t* texels,
                               std::ptrdiff_t stride, const TexelRun* runs, int32_t runCount,
                               const SpanContext& context);

/// One kernel per format, feature set and draw mode, at 128 × additive + 32 × format block + features, the
/// untextured ones keeping only the V and G bits. Slots of untextured feature sets without V are null, and
/// pair kernels exist only where joining can pay (unfiltered texels whose shading needs nothing else per
/// pixel); run kernels exist where pair kernels do.
struct SpanKernelTable {
    std::array<SpanKernel, kTriConverterCount> spans;
    std::array<SpanPairKernel, kTriConverterCount> pairs;
    std::array<SpanRunKernel, kTriConverterCount> runs;
};

constexpr std::size_t SpanKernelIndex(PixelFormat format, unsigned features, bool additive)
{
    return (additive ? kTriAdditiveOffset : 0) + 32 * static_cast<std::size_t>(TriFormatBlock(format)) + features;
}

/// n / cover, truncated, for the 8888 blend: n below 2^17 and cover 1..256. A reciprocal nudged one step up,
/// so that it is never below 1 / cover, and one multiply give the exact quotient over that whole range (a test
/// checks every pair); the kernels do the same, lane by lane, in place of three divisions per pixel.
inline uint32_t DivideByCover(uint32_t n, uint32_t cover)
{
    const float reciprocal = std::bit_cast<float>(std::bit_cast<uint32_t>(1.0f / static_cast<float>(cover)) + 1);
    return static_cast<uint32_t>(static_cast<float>(n) * reciprocal);
}

/// Instruction sets the kernels are built for. Portable is plain C++ with the compiler's generic vectors (no
/// processor-specific instruction), so it runs everywhere; Avx2 exists on x86-64 only.
enum class SpanIsa { Portable, Avx2 };

/// The kernels in use: AVX2 where the processor has it, else the portable ones.
const SpanKernelTable& ActiveSpanKernels();

/// Switches every converter to the kernels of isa, so that tests can hold each set against the reference.
/// Returns false, and changes nothing, when this build or processor lacks them. Not while drawing.
bool SelectSpanKernels(SpanIsa isa);

namespace Detail {

const SpanKernelTable& PortableSpanKernels();
/// The portable kernels compile in eight sources at once, one per draw mode and format block: part p fills
/// the table entries 32p .. 32p + 31.
template <std::size_t kPart>
void FillPortableSpanKernels(SpanKernelTable& table);
const SpanKernelTable* Avx2SpanKernels(); // null where not built for x86-64
/// The same for the AVX2 kernels, where they are built.
template <std::size_t kPart>
void FillAvx2SpanKernels(SpanKernelTable& table);

} // namespace Detail

} // namespace Raster
