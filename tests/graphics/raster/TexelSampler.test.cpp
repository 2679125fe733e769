#include "graphics/raster/reference/ReferenceTexelSampler.h"
#include "tests/graphics/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace RasterTest;
using namespace Raster::Reference;

namespace {

// A 3 × 2 texture whose texels name their place: 0xFF0000rc.
const std::vector<uint32_t> kPlaces = {0xFF000000, 0xFF000001, 0xFF000002, 0xFF000010, 0xFF000011, 0xFF000012};

uint32_t Nearest(int32_t u, int32_t v)
{
    const TexelSample sample = NearestSampler::Sample(TextureOf(kPlaces, 3), u, v);
    return (sample.alpha << 24) | sample.colour;
}

} // namespace

TEST(TexelSampler, NearestReadsOnAcrossRowsAndZeroPastTheTexels)
{
    EXPECT_EQ(Nearest(0x18000, 0x8000), 0xFF000001u);
    EXPECT_EQ(Nearest(0x2FFFF, 0x1FFFF), 0xFF000012u);
    EXPECT_EQ(Nearest(3 * 0x10000, 0), 0xFF000010u) << "u at the width reads the next row's first texel";
    EXPECT_EQ(Nearest(3 * 0x10000, 0x10000), 0u) << "past the last texel reads 0";
    EXPECT_EQ(Nearest(-1, 0), 0u) << "just below 0 is column 65535";
    EXPECT_EQ(Nearest(0, -1), 0u);
}

TEST(TexelSampler, BilinearWeighsTheFourNeighboursByTheirAlpha)
{
    const std::vector<uint32_t> white(4, 0xFFFFFFFF);
    struct Case {
        const char* name;
        std::vector<uint32_t> texels;
        int width;
        int32_t u, v;
        uint32_t colour, alpha;
    };
    const Case cases[] = {
        {"a texel centre", white, 2, 0x8000, 0x8000, 0xFDFDFD, 254},
        {"half-way between four", white, 2, 0x10000, 0x10000, 0xFBFBFB, 252},
        {"transparent neighbours add nothing",
         {0xFFFFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF},
         2,
         0x10000,
         0x10000,
         0x3E3E3E,
         63},
        {"the last row fades", {0xFFFFFFFF, 0xFFFFFFFF}, 2, 0x10000, 0x10000, 0x7D7D7D, 126},
        // Centred on column -1 (u' = -0xFFFF): no wrap per axis.
        {"column -1 is the previous row's last texel",
         {0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000},
         2,
         -0x7FFF,
         0x18000,
         0xFDFDFD,
         254},
        {"column -1 of the first row reads nothing", white, 2, -0x7FFF, 0x8000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TexelSample sample = BilinearSampler::Sample(TextureOf(c.texels, c.width), c.u, c.v);
        EXPECT_EQ(sample.colour, c.colour);
        EXPECT_EQ(sample.alpha, c.alpha);
    }
}
