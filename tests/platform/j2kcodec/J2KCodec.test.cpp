#include "platform/j2kcodec/J2KCodec.h"

#include "platform/log/Log.h"
#include "tests/platform/j2kcodec/J2KTestEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Platform;

template <typename Fn>
Fn Symbol(const char* name)
{
    return reinterpret_cast<Fn>(J2KCodecSymbol(name));
}

struct Reader {
    const std::vector<uint8_t>* data;
    size_t pos = 0;
    bool closed = false;
};

int Seek(void* user, int offset)
{
    auto* r = static_cast<Reader*>(user);
    r->pos = size_t(offset);
    return 0;
}

int Read(void* buffer, int count, void* user)
{
    auto* r = static_cast<Reader*>(user);
    const size_t n = std::min(size_t(count), r->data->size() - std::min(r->pos, r->data->size()));
    std::memcpy(buffer, r->data->data() + r->pos, n);
    r->pos += n;
    return int(n);
}

void Close(void* user)
{
    static_cast<Reader*>(user)->closed = true;
}

const J2KStreamCallbacks kCallbacks{Seek, Read, Close};

TEST(J2KCodec, ExportsItsEntryPointsByName)
{
    for (const char* name : {"_J2K_getVersion@0", "_J2K_OpenCustom@8", "_J2K_OpenFile@4", "_J2K_Close@4",
                             "_J2K_GetInfo@16", "_J2K_GetResolutionDimensions@16", "_J2K_Decode@20",
                             "_J2K_getLastError@0", "_J2K_getErrorStr@4", "J2K_Decode"}) {
        EXPECT_NE(J2KCodecSymbol(name), nullptr) << name;
    }
    EXPECT_EQ(J2KCodecSymbol("_J2K_Encode@20"), nullptr);
    EXPECT_EQ(J2KCodecSymbol(nullptr), nullptr);
    EXPECT_GE(Symbol<J2KGetVersionFn>("_J2K_getVersion@0")(), 0x120000);
}

TEST(J2KCodec, DecodesCodeStreamsAndJp2Files)
{
    auto openCustom = Symbol<J2KOpenCustomFn>("_J2K_OpenCustom@8");
    auto getInfo = Symbol<J2KGetInfoFn>("_J2K_GetInfo@16");
    auto dimensions = Symbol<J2KGetResolutionDimensionsFn>("_J2K_GetResolutionDimensions@16");
    auto decode = Symbol<J2KDecodeFn>("_J2K_Decode@20");
    auto close = Symbol<J2KCloseFn>("_J2K_Close@4");

    struct Case {
        const char* name;
        int components;
        OPJ_CODEC_FORMAT format;
    };
    const Case cases[] = {
        {"rgba code stream", 4, OPJ_CODEC_J2K},
        {"rgb jp2", 3, OPJ_CODEC_JP2},
        {"grey", 1, OPJ_CODEC_J2K},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto sample = [](int x, int y, int component) { return uint8_t(x * 40 + y * 7 + component * 50); };
        const std::vector<uint8_t> file = J2KTest::Encode(5, 3, c.components, sample, c.format);
        ASSERT_FALSE(file.empty());
        Reader reader{&file};
        void* handle = openCustom(&reader, &kCallbacks);
        ASSERT_NE(handle, nullptr);
        EXPECT_TRUE(reader.closed);
        int width = 0;
        int height = 0;
        int components = 0;
        ASSERT_EQ(getInfo(handle, &width, &height, &components), 0);
        EXPECT_EQ(width, 5);
        EXPECT_EQ(height, 3);
        EXPECT_EQ(components, c.components);
        int halfWidth = 0;
        int halfHeight = 0;
        ASSERT_EQ(dimensions(handle, 1, &halfWidth, &halfHeight), 0);
        EXPECT_EQ(halfWidth, 3);
        EXPECT_EQ(halfHeight, 2);

        // Rows padded to 24 bytes, to see that the pitch is honoured.
        std::vector<unsigned char> pixels(24 * 3, 0xEE);
        unsigned char* buffer = pixels.data();
        int size = int(pixels.size());
        int pitch = 24;
        ASSERT_EQ(decode(handle, &buffer, &size, "bpp=4,rl=0", &pitch), 0);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const unsigned char* p = pixels.data() + y * 24 + x * 4;
                const uint8_t r = sample(x, y, 0);
                EXPECT_EQ(p[2], r);
                EXPECT_EQ(p[1], c.components >= 3 ? sample(x, y, 1) : r);
                EXPECT_EQ(p[0], c.components >= 3 ? sample(x, y, 2) : r);
                EXPECT_EQ(p[3], c.components == 4 ? sample(x, y, 3) : 0xFF);
            }
            EXPECT_EQ(pixels[size_t(y) * 24 + 20], 0xEE);
        }
        close(handle);
    }
}

TEST(J2KCodec, SyccColourBecomesRgb)
{
    auto openCustom = Symbol<J2KOpenCustomFn>("_J2K_OpenCustom@8");
    auto decode = Symbol<J2KDecodeFn>("_J2K_Decode@20");
    auto close = Symbol<J2KCloseFn>("_J2K_Close@4");

    // Saturated and mixed colours, greys and the extremes, stored as luma and chroma differences.
    const uint8_t rgb[][3] = {{255, 0, 0},     {0, 255, 0},    {0, 0, 255},   {255, 255, 255}, {0, 0, 0},
                              {128, 128, 128}, {200, 120, 40}, {30, 90, 220}, {250, 240, 10},  {12, 200, 180}};
    constexpr int kWidth = 5;
    const auto source = [&](int x, int y) { return rgb[y * kWidth + x]; };
    const auto ycc = [&](int x, int y, int component) {
        const double r = source(x, y)[0], g = source(x, y)[1], b = source(x, y)[2];
        const double value = component == 0   ? 0.299 * r + 0.587 * g + 0.114 * b
                             : component == 1 ? -0.168736 * r - 0.331264 * g + 0.5 * b + 128.0
                                              : 0.5 * r - 0.418688 * g - 0.081312 * b + 128.0;
        return uint8_t(std::clamp(std::lround(value), 0L, 255L));
    };
    const std::vector<uint8_t> file = J2KTest::Encode(kWidth, 2, 3, ycc, OPJ_CODEC_JP2, OPJ_CLRSPC_SYCC);
    ASSERT_FALSE(file.empty());
    Reader reader{&file};
    void* handle = openCustom(&reader, &kCallbacks);
    ASSERT_NE(handle, nullptr);
    std::vector<unsigned char> pixels(kWidth * 2 * 4);
    unsigned char* buffer = pixels.data();
    int size = int(pixels.size());
    int pitch = kWidth * 4;
    ASSERT_EQ(decode(handle, &buffer, &size, "bpp=4,rl=0", &pitch), 0);
    close(handle);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            SCOPED_TRACE("pixel " + std::to_string(x) + ", " + std::to_string(y));
            const unsigned char* p = pixels.data() + (y * kWidth + x) * 4;
            EXPECT_NEAR(p[2], source(x, y)[0], 2);
            EXPECT_NEAR(p[1], source(x, y)[1], 2);
            EXPECT_NEAR(p[0], source(x, y)[2], 2);
            EXPECT_EQ(p[3], 0xFF);
        }
    }
}

TEST(J2KCodec, ReportsErrors)
{
    auto openCustom = Symbol<J2KOpenCustomFn>("_J2K_OpenCustom@8");
    auto openFile = Symbol<J2KOpenFileFn>("_J2K_OpenFile@4");
    auto getInfo = Symbol<J2KGetInfoFn>("_J2K_GetInfo@16");
    auto decode = Symbol<J2KDecodeFn>("_J2K_Decode@20");
    auto close = Symbol<J2KCloseFn>("_J2K_Close@4");
    auto lastError = Symbol<J2KGetLastErrorFn>("_J2K_getLastError@0");
    auto errorText = Symbol<J2KGetErrorStrFn>("_J2K_getErrorStr@4");

    const std::vector<uint8_t> notJ2K = {'n', 'o', 'p', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Reader reader{&notJ2K};
    EXPECT_EQ(openCustom(&reader, &kCallbacks), nullptr);
    EXPECT_EQ(lastError(), kJ2KErrorFormat);
    EXPECT_STRNE(errorText(lastError()), "");
    EXPECT_EQ(openFile("/no/such/file.j2k"), nullptr);
    EXPECT_EQ(lastError(), kJ2KErrorFile);

    // The signature of a code stream with nothing valid after it: opens, but has no readable header.
    std::vector<uint8_t> file = J2KTest::Encode(4, 4, 3, [](int, int, int) { return uint8_t(9); });
    std::vector<uint8_t> cut(file.begin(), file.begin() + 6);
    Reader cutReader{&cut};
    void* broken = openCustom(&cutReader, &kCallbacks);
    ASSERT_NE(broken, nullptr);
    int width = 0;
    EXPECT_NE(getInfo(broken, &width, nullptr, nullptr), 0);
    close(broken);

    Reader good{&file};
    void* handle = openCustom(&good, &kCallbacks);
    ASSERT_NE(handle, nullptr);
    std::vector<unsigned char> pixels(64);
    unsigned char* buffer = pixels.data();
    int size = 63; // one byte short
    int pitch = 16;
    EXPECT_EQ(decode(handle, &buffer, &size, "bpp=4,rl=0", &pitch), kJ2KErrorArgument);
    size = 64;
    EXPECT_EQ(decode(handle, &buffer, &size, "bpp=7", &pitch), kJ2KErrorArgument);
    EXPECT_EQ(decode(handle, &buffer, &size, "colour=1", &pitch), kJ2KErrorArgument);
    EXPECT_EQ(decode(handle, &buffer, &size, "bpp=4,rl=0", &pitch), kJ2KOk);
    close(handle);
}

} // namespace
