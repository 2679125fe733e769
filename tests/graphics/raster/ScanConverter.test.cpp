// The converter table: which converter each index holds, and that every entry draws in its own format.
#include "tests/graphics/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

using namespace RasterTest;

TEST(ScanConverterTable, HoldsTheConverterOfEachFeatureSet)
{
    EXPECT_EQ(gTriScanConverters[16], DrawTri_8888_T);
    EXPECT_EQ(gTriScanConverters[48], DrawTri_8888_T) << "0x888 reuses the plain textured ARGB converters";
    EXPECT_EQ(gTriScanConverters[49], DrawTri_8888_TF);
    EXPECT_EQ(gTriScanConverters[4], DrawTri_8888_V);
    EXPECT_EQ(gTriScanConverters[5], DrawTri_8888_V) << "untextured slots ignore the filter bit";
    EXPECT_EQ(gTriScanConverters[13], DrawTri_8888_V) << "... and the texture-alpha bit";
    EXPECT_EQ(gTriScanConverters[15], DrawTri_8888_VG);
    EXPECT_EQ(gTriScanConverters[2], &DrawTri_None);
    EXPECT_EQ(gTriScanConverters[64], &DrawTri_None);
    EXPECT_EQ(gTriScanConverters[89], DrawTri_565_TAF);
    EXPECT_EQ(gTriScanConverters[50], DrawTri_888_TG);
    EXPECT_EQ(gTriScanConverters[127], DrawTri_555_TAVGF);

    const std::set<TriScanConverter> normal(gTriScanConverters.begin(), gTriScanConverters.begin() + 128);
    EXPECT_EQ(normal.size(), 71u);
    // Additive converters are their own, 0x888 included, since it writes 0xFF where ARGB keeps the alpha.
    const std::set<TriScanConverter> all(gTriScanConverters.begin(), gTriScanConverters.end());
    EXPECT_EQ(all.size(), 71u + 72u);
    EXPECT_EQ(gTriScanConverters[128 + 2], &DrawTri_None);
    EXPECT_NE(gTriScanConverters[128 + 48], gTriScanConverters[128 + 16]);
}

TEST(ScanConverterTable, IndexFromFlagsFormatAndMode)
{
    EXPECT_EQ(TriConverterIndex(true, true, false, false, true, PixelFormat::Rgb565, false), 64u + 25u);
    EXPECT_EQ(TriConverterIndex(false, false, true, true, false, PixelFormat::Rgb555, true), 128u + 96u + 6u);
    for (const int value : {0x8888, 0, 0x1000, -1}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(TriConverterIndex(true, false, false, false, false, static_cast<PixelFormat>(value), false), 16u);
    }
    EXPECT_EQ(TriConverterIndex(true, false, false, false, false, PixelFormat::Rgb888, false), 48u);
}

namespace {

// Every entry draws this triangle with uniform inputs: texel 0xFFC08040 of a 1 × 1 texture sampled on its
// centre, vertex colour 0xFF80FF40 and global colour 0xFFFF8040. All alphas are opaque, so normal draws
// store, and additive draws add the premultiplied source.
constexpr uint32_t kTexel = 0xFFC08040;
constexpr uint32_t kVertex = 0xFF80FF40;
constexpr uint32_t kGlobal = 0xFFFF8040;

const char* const kMask = "........\n"
                          "........\n"
                          "..##....\n"
                          "..####..\n"
                          "..###...\n"
                          "..##....\n"
                          "........\n"
                          "........\n";

const char* const kBlank = "........\n"
                           "........\n"
                           "........\n"
                           "........\n"
                           "........\n"
                           "........\n"
                           "........\n"
                           "........\n";

struct Outcome {
    uint32_t stored; // the opaque colour
    uint32_t added;  // the premultiplied source of an additive draw
};

// Worked out by hand from each family's arithmetic for the inputs above.
Outcome Expected(unsigned features)
{
    switch (features) {
    case TriFeatures("V"):
        return {0x80FF40, 0x7FFE3F};
    case TriFeatures("VG"):
        return {0x7F7F10, 0x7E7E0F};
    case TriFeatures("T"):
        return {0xC08040, 0xC08040};
    case TriFeatures("TF"):
        return {0xBE7F3F, 0xBE7F3F};
    case TriFeatures("TG"):
    case TriFeatures("TAG"):
        return {0xBF4010, 0xBD3F0F};
    case TriFeatures("TGF"):
    case TriFeatures("TAGF"):
        return {0xBC3E0E, 0xBC3E0E};
    case TriFeatures("TV"):
    case TriFeatures("TAV"):
        return {0x607F10, 0x5F7E0F};
    case TriFeatures("TVF"):
    case TriFeatures("TAVF"):
        return {0x5E7D0E, 0x5E7D0E};
    case TriFeatures("TVG"):
    case TriFeatures("TAVG"):
        return {0x5F3F04, 0x5D3E03};
    case TriFeatures("TVGF"):
    case TriFeatures("TAVGF"):
        return {0x5D3E02, 0x5D3E02};
    case TriFeatures("TA"):
        return {0xC08040, 0xBF7F3F};
    case TriFeatures("TAF"):
        return {0xBE7F3F, 0xBE7F3F};
    default:
        ADD_FAILURE() << "no expectation for features " << features;
        return {};
    }
}

uint32_t Field(uint32_t colour, int shift, int bits)
{
    return ((colour >> shift) & 0xFF) >> (8 - bits);
}

uint32_t ExpectedPixel(PixelFormat format, uint32_t background, uint32_t colour, bool additive)
{
    const auto sat = [](uint32_t value, uint32_t max) { return value > max ? max : value; };
    switch (format) {
    case PixelFormat::Rgb565:
        if (!additive)
            return Rgb565(Field(colour, 16, 5), Field(colour, 8, 6), Field(colour, 0, 5));
        return Rgb565(sat((background >> 11) + Field(colour, 16, 5), 31),
                      sat(((background >> 5) & 63) + Field(colour, 8, 6), 63),
                      sat((background & 31) + Field(colour, 0, 5), 31));
    case PixelFormat::Rgb555:
        if (!additive)
            return Rgb555(Field(colour, 16, 5), Field(colour, 8, 5), Field(colour, 0, 5));
        return Rgb555(sat(((background >> 10) & 31) + Field(colour, 16, 5), 31),
                      sat(((background >> 5) & 31) + Field(colour, 8, 5), 31),
                      sat((background & 31) + Field(colour, 0, 5), 31));
    default: {
        if (!additive)
            return colour | 0xFF000000;
        const uint32_t alpha = format == PixelFormat::Argb8888 ? background & 0xFF000000 : 0xFF000000;
        return alpha | (sat(((background >> 16) & 0xFF) + ((colour >> 16) & 0xFF), 255) << 16) |
               (sat(((background >> 8) & 0xFF) + ((colour >> 8) & 0xFF), 255) << 8) |
               sat((background & 0xFF) + (colour & 0xFF), 255);
    }
    }
}

} // namespace

TEST(ScanConverterTable, EveryEntryDrawsItsTriangleInItsFormat)
{
    const PixelFormat formats[] = {PixelFormat::Argb8888, PixelFormat::Rgb888, PixelFormat::Rgb565,
                                   PixelFormat::Rgb555};
    const uint32_t backgrounds[] = {0x80402010, 0x00402010, Rgb565(8, 16, 4), 0x8000 | Rgb555(8, 8, 4)};
    const std::vector<uint32_t> texels = {kTexel};
    const std::array<TriVertexFx, 3> triangle = {Fx(1, 1, kVertex, 0x8000, 0x8000), Fx(5.5, 3, kVertex, 0x8000, 0x8000),
                                                 Fx(2, 6, kVertex, 0x8000, 0x8000)};
    for (std::size_t index = 0; index < kTriConverterCount; ++index) {
        const bool additive = index >= kTriAdditiveOffset;
        const int block = static_cast<int>(index / 32 % 4);
        const auto offset = static_cast<unsigned>(index % 32);
        SCOPED_TRACE(testing::Message() << "entry " << index);
        Canvas canvas(formats[block], 8, 8, backgrounds[block]);
        gTriScanConverters[index](triangle.data(), canvas.Frame(), TextureOf(texels, 1), Global(kGlobal));
        ASSERT_TRUE(canvas.GuardsIntact());

        const bool textured = (offset & TriFeature::T) != 0;
        if (!textured && (offset & TriFeature::V) == 0) {
            EXPECT_EQ(canvas.Mask(backgrounds[block]), kBlank) << "DrawTri_None draws nothing";
            continue;
        }
        const unsigned features =
            textured ? offset : offset & (TriFeature::V | TriFeature::G); // untextured ignores A and F
        const Outcome outcome = Expected(features);
        const uint32_t expected =
            ExpectedPixel(formats[block], backgrounds[block], additive ? outcome.added : outcome.stored, additive);
        EXPECT_EQ(canvas.Mask(backgrounds[block]), kMask);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                if (kMask[y * 9 + x] == '#') {
                    EXPECT_EQ(canvas.At(x, y), expected) << x << ", " << y;
                }
            }
        }
    }
}
