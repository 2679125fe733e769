// The colour arithmetic of each converter family, one pixel at a time: every vertex has the same colour and
// texture coordinate, so every covered pixel comes out alike.
#include "tests/graphics/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

using namespace RasterTest;

namespace {

constexpr int32_t kCentre = 0x8000;   // the centre of texel (0, 0)
constexpr int32_t kOutside = 0x20000; // column 2 of a 1-texel texture: past the texel array
constexpr int32_t kBetween = 0x10000; // half-way between the four texels of a 2 × 2 texture

struct Case {
    const char* name;
    TriScanConverter converter;
    PixelFormat format;
    uint32_t destination;
    uint32_t texel; // of a 1 × 1 texture, or all four of a 2 × 2 texture when at == kBetween
    uint32_t vertex;
    uint32_t global;
    uint32_t expected;
    int32_t at = kCentre;
};

std::array<TriVertexFx, 3> Covering(uint32_t vertex, int32_t at)
{
    return {Fx(-8, -8, vertex, at, at), Fx(24, -8, vertex, at, at), Fx(-8, 24, vertex, at, at)};
}

void Check(const Case& c)
{
    SCOPED_TRACE(c.name);
    Canvas canvas(c.format, 4, 4, c.destination);
    const std::vector<uint32_t> texels(c.at == kBetween ? 4 : 1, c.texel);
    const auto triangle = Covering(c.vertex, c.at);
    c.converter(triangle.data(), canvas.Frame(), TextureOf(texels, c.at == kBetween ? 2 : 1), Global(c.global));
    EXPECT_EQ(canvas.At(1, 1), c.expected) << std::hex << "got 0x" << canvas.At(1, 1) << ", expected 0x" << c.expected;
    EXPECT_EQ(canvas.At(3, 3), canvas.At(0, 0));
}

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr auto k8888 = PixelFormat::Argb8888;
constexpr auto k888 = PixelFormat::Rgb888;
constexpr auto k565 = PixelFormat::Rgb565;
constexpr auto k555 = PixelFormat::Rgb555;

} // namespace

TEST(ConverterFamilies, Untextured)
{
    const Case cases[] = {
        {"opaque above 240", DrawTri_8888_V, k8888, kBlack, 0, 0xFF204060, kWhite, 0xFF204060},
        {"opaque 5-6-5", DrawTri_565_V, k565, 0, 0, 0xFF204060, kWhite, Rgb565(4, 16, 12)},
        {"240 still blends", DrawTri_8888_V, k8888, kBlack, 0, 0xF0FFFFFF, kWhite, 0xFFEFEFEF},
        {"8 or less leaves the pixel", DrawTri_888_V, k888, 0xFF123456, 0, 0x08FFFFFF, kWhite, 0xFF123456},
        {"blend over opaque", DrawTri_8888_V, k8888, 0xFF0000FF, 0, 0x80FF0000, kWhite, 0xFF7F007F},
        {"blend over transparent black", DrawTri_8888_V, k8888, 0, 0, 0x80FF0000, kWhite, 0x7FFE0000},
        {"global alpha folded into the vertices", DrawTri_8888_VG, k8888, kBlack, 0, kWhite, 0x80FFFFFF, 0xFF7E7E7E},
        {"global alpha, 0x888", DrawTri_888_VG, k888, kBlack, 0, kWhite, 0x80FFFFFF, 0xFF7E7E7E},
        {"global tint, opaque", DrawTri_555_VG, k555, 0, 0, kWhite, 0xFFFF8000, Rgb555(31, 15, 0)},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(ConverterFamilies, PlainTexturedStoresOpaquely)
{
    const Case cases[] = {
        {"texel with alpha 1", DrawTri_8888_T, k8888, 0, 0x01123456, 0, kWhite, 0xFF123456},
        {"outside the texture is black", DrawTri_8888_T, k8888, kWhite, 0x01123456, 0, kWhite, kBlack, kOutside},
        {"5-6-5", DrawTri_565_T, k565, 0, 0xFFC8643A, 0, kWhite, Rgb565(25, 25, 7)},
        {"5-5-5", DrawTri_555_T, k555, 0x8000, 0xFFC8643A, 0, kWhite, Rgb555(25, 12, 7)},
        {"filtered white on a texel centre", DrawTri_8888_TF, k8888, 0, kWhite, 0, kWhite, 0xFFFDFDFD},
        {"filtered, between four texels", DrawTri_565_TF, k565, 0, kWhite, 0, kWhite, Rgb565(31, 62, 31), kBetween},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(ConverterFamilies, GlobalColour)
{
    const Case cases[] = {
        {"opaque from global alpha 241", DrawTri_8888_TG, k8888, kBlack, kWhite, 0, 0xF1FFFFFF, 0xFFFEFEFE},
        {"global alpha 240 blends at 239", DrawTri_8888_TG, k8888, kBlack, kWhite, 0, 0xF0FFFFFF, 0xFFEDEDED},
        {"opaque, tinted by 255", DrawTri_8888_TG, k8888, kBlack, 0xFFC86432, 0, 0xFAFFFFFF, 0xFFC76331},
        {"opaque 5-6-5", DrawTri_565_TG, k565, 0, 0xFFC86432, 0, 0xFAFFFFFF, Rgb565(24, 24, 6)},
        {"opaque 5-5-5", DrawTri_555_TG, k555, 0, 0xFFC86432, 0, 0xFAFFFFFF, Rgb555(24, 12, 6)},
        {"filtered opaque is scaled by the global alpha", DrawTri_8888_TGF, k8888, kBlack, 0xFFCA6533, 0, 0xFAFFFFFF,
         0xFFC2602F},
        {"half over opaque black", DrawTri_8888_TG, k8888, kBlack, 0xFFC86432, 0, 0x80FFFFFF, 0xFF623118},
        {"half over black, 0x888", DrawTri_888_TG, k888, kBlack, 0xFFC86432, 0, 0x80FFFFFF, 0xFF623118},
        {"filtered half", DrawTri_8888_TGF, k8888, kBlack, 0xFFCA6533, 0, 0x80FFFFFF, 0xFF633118},
        {"filtered half, 0x888", DrawTri_888_TGF, k888, kBlack, 0xFFCA6533, 0, 0x80FFFFFF, 0xFF633118},
        {"half over transparent", DrawTri_8888_TG, k8888, 0, 0xFFC86432, 0, 0x80FFFFFF, 0x7EC56230},
        {"alpha 1 over transparent", DrawTri_8888_TG, k8888, 0x00ABCDEF, kWhite, 0, 0x02FFFFFF, 0},
        {"outside the texture, opaque", DrawTri_8888_TG, k8888, kWhite, kWhite, 0, 0xF1FFFFFF, kBlack, kOutside},
        {"global alpha 1 leaves the pixel", DrawTri_8888_TG, k8888, kWhite, kWhite, 0, 0x01FFFFFF, kWhite},
        {"global alpha 0 leaves the pixel, 0x888", DrawTri_888_TG, k888, kWhite, kWhite, 0, 0x00FFFFFF, kWhite},
        {"global alpha 0 leaves the pixel, 5-6-5", DrawTri_565_TG, k565, 0xFFFF, kWhite, 0, 0x00FFFFFF, 0xFFFF},
        {"global alpha 0 leaves the pixel, 5-5-5", DrawTri_555_TGF, k555, 0xFFFF, kWhite, 0, 0x00FFFFFF, 0xFFFF},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(ConverterFamilies, VertexColour)
{
    const Case cases[] = {
        {"opaque white vertices take one step off", DrawTri_8888_TV, k8888, 0, 0xFF808080, kWhite, kWhite, 0xFF7F7F7F},
        {"filtered opaque", DrawTri_8888_TVF, k8888, 0, kWhite, kWhite, kWhite, 0xFFFBFBFB},
        {"vertex alpha 240 blends", DrawTri_8888_TV, k8888, kBlack, kWhite, 0xF0FFFFFF, kWhite, 0xFFEDEDED},
        {"vertex alpha 241 is opaque", DrawTri_8888_TV, k8888, kBlack, kWhite, 0xF1FFFFFF, kWhite, 0xFFFEFEFE},
        {"filtered alpha 241 stores the premultiplied colour", DrawTri_888_TVF, k888, 0, kWhite, 0xF1FFFFFF, kWhite,
         0xFFEDEDED},
        {"blend 5-6-5", DrawTri_565_TV, k565, 0xFFFF, 0xFF808080, 0x81FFFFFF, kWhite, Rgb565(21, 44, 21)},
        {"blend 5-5-5", DrawTri_555_TV, k555, 0xFFFF, 0xFF808080, 0x81FFFFFF, kWhite, Rgb555(21, 21, 21)},
        {"blend 0x888", DrawTri_888_TV, k888, kWhite, 0xFF808080, 0x81FFFFFF, kWhite, 0xFFBDBDBD},
        {"blend over opaque white", DrawTri_8888_TV, k8888, kWhite, 0xFF808080, 0x81FFFFFF, kWhite, 0xFFBEBEBE},
        {"blend over transparent black", DrawTri_8888_TV, k8888, 0, 0xFF808080, 0x81FFFFFF, kWhite, 0x7F7E7E7E},
        {"a filtered quotient of 256 is held at 255", DrawTri_8888_TVF, k8888, 0, kWhite, 0x40FFFFFF, kWhite,
         0x3EFFFFFF},
        {"outside the texture, opaque", DrawTri_565_TV, k565, 0xFFFF, kWhite, kWhite, kWhite, 0, kOutside},
        {"vertex alpha 0 leaves the pixel", DrawTri_565_TV, k565, 0xFFFF, kWhite, 0x00FFFFFF, kWhite, 0xFFFF},
        {"vertex alpha 1 leaves the pixel", DrawTri_8888_TVF, k8888, kWhite, kWhite, 0x01FFFFFF, kWhite, kWhite},
    };
    for (const Case& c : cases)
        Check(c);
}

// The global colour acts once, per pixel, on the interpolated vertex colour.
TEST(ConverterFamilies, VertexAndGlobalColour)
{
    const Case cases[] = {
        {"tinted, opaque", DrawTri_8888_TVG, k8888, 0, kWhite, kWhite, 0xFFFF8080, 0xFFFD7E7E},
        {"half the global alpha is about half", DrawTri_8888_TVG, k8888, kBlack, kWhite, kWhite, 0x80FFFFFF,
         0xFF7C7C7C},
        {"filtered, opaque", DrawTri_8888_TVGF, k8888, 0, kWhite, kWhite, kWhite, 0xFFF9F9F9},
        {"5-6-5", DrawTri_565_TVG, k565, 0, kWhite, kWhite, 0xFFFF8080, Rgb565(31, 31, 15)},
        {"vertex alpha 0 leaves the pixel", DrawTri_8888_TVG, k8888, kWhite, kWhite, 0x00FFFFFF, kWhite, kWhite},
        {"vertex alpha 0 leaves the pixel, 5-5-5", DrawTri_555_TVGF, k555, 0x7FFF, kWhite, 0x00FFFFFF, kWhite, 0x7FFF},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(ConverterFamilies, TextureAlpha)
{
    const Case cases[] = {
        {"alpha 8 leaves the pixel", DrawTri_8888_TA, k8888, kBlack, 0x08FFFFFF, 0, kWhite, kBlack},
        {"alpha 240 is opaque", DrawTri_565_TA, k565, 0, 0xF0FFFFFF, 0, kWhite, 0xFFFF},
        {"alpha 240 is opaque, 0x888", DrawTri_888_TA, k888, 0, 0xF0FFFFFF, 0, kWhite, kWhite},
        {"half red over opaque black", DrawTri_8888_TA, k8888, kBlack, 0x80FF0000, 0, kWhite, 0xFF7F0000},
        {"half red over nothing", DrawTri_8888_TA, k8888, 0, 0x80FF0000, 0, kWhite, 0x7FFE0000},
        {"half red over opaque white", DrawTri_8888_TA, k8888, kWhite, 0x80FF0000, 0, kWhite, 0xFFFE7F7F},
        {"alpha 9 blends", DrawTri_8888_TA, k8888, kBlack, 0x09FFFFFF, 0, kWhite, 0xFF080808},
        {"alpha 239 blends", DrawTri_8888_TA, k8888, 0, 0xEFFFFFFF, 0, kWhite, 0xEEFEFEFE},
        {"0x888 ignores the destination's top byte", DrawTri_888_TA, k888, 0x12FFFFFF, 0x80FF0000, 0, kWhite,
         0xFFFD7E7E},
        {"5-6-5", DrawTri_565_TA, k565, 0xFFFF, 0x80FF0000, 0, kWhite, Rgb565(29, 29, 14)},
        {"5-5-5", DrawTri_555_TA, k555, 0xFFFF, 0x80FF0000, 0, kWhite, Rgb555(29, 14, 14)},
        {"outside the texture draws nothing", DrawTri_8888_TA, k8888, 0x12345678, kWhite, 0, kWhite, 0x12345678,
         kOutside},
        {"filtered, transparent neighbours", DrawTri_8888_TAF, k8888, 0x12345678, 0x00FFFFFF, 0, kWhite, 0x12345678,
         kBetween},
        {"filtered, half-way between opaque white", DrawTri_8888_TAF, k8888, 0, kWhite, 0, kWhite, 0xFFFBFBFB,
         kBetween},
        {"filtered, texel centre", DrawTri_555_TAF, k555, 0, kWhite, 0, kWhite, 0x7FFF},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(ConverterFamilies, TextureAlphaAndGlobalColour)
{
    const Case cases[] = {
        {"texel alpha 8 leaves the pixel", DrawTri_8888_TAG, k8888, kBlack, 0x08FFFFFF, 0, kWhite, kBlack},
        {"texel alpha 9 blends at 8", DrawTri_8888_TAG, k8888, kBlack, 0x09FFFFFF, 0, kWhite, 0xFF070707},
        {"tinted half over opaque black", DrawTri_8888_TAG, k8888, kBlack, kWhite, 0, 0x80FF8000, 0xFF7E3F00},
        {"tinted half over nothing", DrawTri_8888_TAG, k8888, 0, kWhite, 0, 0x80FF8000, 0x7EFD7E00},
        {"tinted half, 0x888", DrawTri_888_TAG, k888, kBlack, kWhite, 0, 0x80FF8000, 0xFF7E3F00},
        {"tinted half, 5-6-5", DrawTri_565_TAG, k565, 0, kWhite, 0, 0x80FF8000, Rgb565(15, 15, 0)},
        {"filtered, tinted half", DrawTri_8888_TAGF, k8888, kBlack, kWhite, 0, 0x80FF8000, 0xFF7E3F00},
        {"opaque tint", DrawTri_8888_TAG, k8888, 0, kWhite, 0, 0xFFFF8000, 0xFFFE7F00},
        {"global alpha 0 leaves the pixel", DrawTri_8888_TAG, k8888, kWhite, kWhite, 0, 0x00FFFFFF, kWhite},
        {"global alpha 0 leaves the pixel, 5-6-5", DrawTri_565_TAGF, k565, 0xFFFF, kWhite, 0, 0x00FFFFFF, 0xFFFF},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(ConverterFamilies, TextureAlphaAndVertexColour)
{
    const Case cases[] = {
        {"texel alpha 8 leaves the pixel", DrawTri_8888_TAV, k8888, kBlack, 0x08FFFFFF, kWhite, kWhite, kBlack},
        {"texel alpha 9 blends at 8", DrawTri_8888_TAV, k8888, kBlack, 0x09FFFFFF, kWhite, kWhite, 0xFF070707},
        {"opaque white", DrawTri_8888_TAV, k8888, 0, kWhite, kWhite, kWhite, 0xFFFEFEFE},
        {"opaque white, 5-6-5", DrawTri_565_TAV, k565, 0, kWhite, kWhite, kWhite, 0xFFFF},
        {"opaque white, 5-5-5", DrawTri_555_TAV, k555, 0, kWhite, kWhite, kWhite, 0x7FFF},
        {"half over opaque black", DrawTri_8888_TAV, k8888, kBlack, kWhite, 0x80FFFFFF, kWhite, 0xFF7E7E7E},
        {"half over nothing", DrawTri_8888_TAV, k8888, 0, kWhite, 0x80FFFFFF, kWhite, 0x7EFDFDFD},
        {"half over black, 5-6-5", DrawTri_565_TAV, k565, 0, kWhite, 0x80FFFFFF, kWhite, 0x7BEF},
        {"filtered opaque", DrawTri_8888_TAVF, k8888, 0, kWhite, kWhite, kWhite, 0xFFFBFBFB},
        {"filtered, vertex alpha 55", DrawTri_8888_TAVF, k8888, kBlack, kWhite, 0x37FFFFFF, kWhite, 0xFF363636},
        {"vertex alpha 0 leaves the pixel", DrawTri_8888_TAV, k8888, kWhite, kWhite, 0x00FFFFFF, kWhite, kWhite},
        {"vertex alpha 0 leaves the pixel, 0x888", DrawTri_888_TAVF, k888, kWhite, kWhite, 0x00FFFFFF, kWhite, kWhite},
    };
    for (const Case& c : cases)
        Check(c);
}

// The global colour acts once, per pixel, on the interpolated vertex colour.
TEST(ConverterFamilies, TextureAlphaVertexAndGlobalColour)
{
    const Case cases[] = {
        {"opaque white", DrawTri_8888_TAVG, k8888, 0, kWhite, kWhite, kWhite, 0xFFFDFDFD},
        {"opaque white, 0x888", DrawTri_888_TAVG, k888, 0, kWhite, kWhite, kWhite, 0xFFFDFDFD},
        {"opaque white, 5-6-5", DrawTri_565_TAVG, k565, 0, kWhite, kWhite, kWhite, 0xFFFF},
        {"opaque white, 5-5-5", DrawTri_555_TAVG, k555, 0, kWhite, kWhite, kWhite, 0x7FFF},
        {"filtered opaque white", DrawTri_8888_TAVGF, k8888, 0, kWhite, kWhite, kWhite, 0xFFF9F9F9},
        {"half the global alpha is about half", DrawTri_8888_TAVG, k8888, kBlack, kWhite, kWhite, 0x80FFFFFF,
         0xFF7C7C7C},
        {"texel alpha 8 leaves the pixel", DrawTri_8888_TAVG, k8888, kBlack, 0x08FFFFFF, kWhite, kWhite, kBlack},
        {"texel alpha 9 blends at 8", DrawTri_8888_TAVG, k8888, kBlack, 0x09FFFFFF, kWhite, kWhite, 0xFF070707},
        {"global alpha 0 leaves the pixel", DrawTri_565_TAVG, k565, 0xFFFF, kWhite, kWhite, 0x00FFFFFF, 0xFFFF},
    };
    for (const Case& c : cases)
        Check(c);
}

TEST(ConverterFamilies, ConvertersLeaveTheirVertexRecordsAsGiven)
{
    const TriScanConverter converters[] = {DrawTri_8888_VG, DrawTri_8888_TVG, DrawTri_565_TAVGF, DrawTri_888_TAG};
    const std::vector<uint32_t> texels = {0x80FFFFFF};
    for (const TriScanConverter converter : converters) {
        Canvas first(PixelFormat::Argb8888, 4, 4, 0x80808080);
        Canvas second(PixelFormat::Argb8888, 4, 4, 0x80808080);
        std::array<TriVertexFx, 3> triangle = {Fx(0, 0, 0x80FF8040, 0, 0), Fx(4, 0, 0xFF4080FF, 0x8000, 0),
                                               Fx(0, 4, 0xC0C0C0C0, 0, 0x8000)};
        const auto before = triangle;
        converter(triangle.data(), first.Frame(), TextureOf(texels, 1), Global(0x80FF8040));
        EXPECT_EQ(std::memcmp(&before, &triangle, sizeof triangle), 0);
        converter(triangle.data(), second.Frame(), TextureOf(texels, 1), Global(0x80FF8040));
        EXPECT_EQ(first.Mask(0), second.Mask(0));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(first.At(x, y), second.At(x, y));
    }
}
