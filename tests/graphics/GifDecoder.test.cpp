#include "graphics/GifDecoder.h"

#include "platform/log/Log.h"
#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ImageLib::DecodeGIF;
using TestHelpers::QuietLog;

// Writes LZW codes least-significant bit first, tracking the code width as a decoder does.
class CodeWriter {
public:
    explicit CodeWriter(int minCodeSize) : mMin(minCodeSize), mClear(1 << minCodeSize) { Reset(); }

    void Clear()
    {
        Put(mClear);
        Reset();
    }
    // Every code after the first since a clear adds a table entry.
    void Code(int code)
    {
        Put(code);
        if (mFirst) {
            mFirst = false;
            return;
        }
        if (mAvailable < 4096) {
            ++mAvailable;
            if (mAvailable >= (1 << mWidth) && mAvailable < 4096) {
                ++mWidth;
            }
        }
    }
    void End() { Put(mClear + 1); }

    // The code stream as data sub-blocks, with the terminator.
    std::vector<uint8_t> Blocks()
    {
        std::vector<uint8_t> bytes = mBytes;
        if (mBits > 0) {
            bytes.push_back(uint8_t(mAccumulator));
        }
        std::vector<uint8_t> out;
        for (size_t i = 0; i < bytes.size(); i += 255) {
            const size_t n = std::min<size_t>(255, bytes.size() - i);
            out.push_back(uint8_t(n));
            out.insert(out.end(), bytes.begin() + long(i), bytes.begin() + long(i + n));
        }
        out.push_back(0);
        return out;
    }

private:
    void Reset()
    {
        mWidth = mMin + 1;
        mAvailable = mClear + 2;
        mFirst = true;
    }
    void Put(int code)
    {
        mAccumulator |= uint32_t(code) << mBits;
        mBits += mWidth;
        while (mBits >= 8) {
            mBytes.push_back(uint8_t(mAccumulator));
            mAccumulator >>= 8;
            mBits -= 8;
        }
    }

    int mMin;
    int mClear;
    int mWidth = 0;
    int mAvailable = 0;
    bool mFirst = true;
    std::vector<uint8_t> mBytes;
    uint32_t mAccumulator = 0;
    int mBits = 0;
};

struct GifSpec {
    int width = 0;
    int height = 0;
    int tableBits = 3; // the global table has 2^tableBits entries; 0 = no table
    int minCodeSize = 3;
    int transparent = -1; // graphic control extension when >= 0
    bool interlaced = false;
    std::vector<uint8_t> codeBlocks;
};

// Palette entry i is the colour 0xFF000000 | i * 0x010101 + 0x100000, easy to tell apart.
uint32_t Colour(int index)
{
    return 0xFF000000u | (uint32_t(index) * 0x010101u + 0x100000u);
}

std::vector<uint8_t> MakeGif(const GifSpec& spec)
{
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto u16 = [&out](int v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    u16(spec.width);
    u16(spec.height);
    out.push_back(spec.tableBits > 0 ? uint8_t(0x80 | (spec.tableBits - 1)) : 0);
    out.push_back(0);
    out.push_back(0);
    for (int i = 0; i < (spec.tableBits > 0 ? 1 << spec.tableBits : 0); ++i) {
        const uint32_t c = Colour(i);
        out.push_back(uint8_t(c >> 16));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c));
    }
    // A comment extension, skipped.
    out.insert(out.end(), {0x21, 0xFE, 0x03, 'h', 'e', 'y', 0x00});
    if (spec.transparent >= 0) {
        out.insert(out.end(), {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, uint8_t(spec.transparent), 0x00});
    }
    out.push_back(',');
    u16(0);
    u16(0);
    u16(spec.width);
    u16(spec.height);
    out.push_back(spec.interlaced ? 0x40 : 0x00);
    out.push_back(uint8_t(spec.minCodeSize));
    out.insert(out.end(), spec.codeBlocks.begin(), spec.codeBlocks.end());
    out.push_back(';');
    return out;
}

std::vector<uint8_t> RootCodes(const std::vector<int>& indices, int minCodeSize = 3)
{
    CodeWriter writer(minCodeSize);
    writer.Clear();
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i > 0 && i % 100 == 0) {
            writer.Clear();
        }
        writer.Code(indices[i]);
    }
    writer.End();
    return writer.Blocks();
}

TEST(GifDecoder, DecodesPixelsThroughThePaletteWithTransparency)
{
    GifSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.transparent = 5;
    spec.codeBlocks = RootCodes({0, 1, 5, 7, 5, 2});
    const auto image = DecodeGIF(MakeGif(spec));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetWidth(), 3);
    ASSERT_EQ(image->GetHeight(), 2);
    const std::vector<uint32_t> pixels(image->GetBits(), image->GetBits() + 6);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{Colour(0), Colour(1), 0, Colour(7), 0, Colour(2)}));
}

TEST(GifDecoder, CompressedCodesExpandThroughTheTable)
{
    // Codes 1, 1, then 6 (= "1 1", just added) and 8 (the entry being made: "1 1 1").
    CodeWriter writer(2);
    writer.Clear();
    writer.Code(1);
    writer.Code(1);
    writer.Code(6);
    writer.Code(8);
    writer.End();
    GifSpec spec;
    spec.width = 7;
    spec.height = 1;
    spec.tableBits = 2;
    spec.minCodeSize = 2;
    spec.codeBlocks = writer.Blocks();
    const auto image = DecodeGIF(MakeGif(spec));
    ASSERT_NE(image, nullptr);
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(image->GetBits()[x], Colour(1)) << x;
    }
}

TEST(GifDecoder, InterlacedRowsGoInPassOrder)
{
    // Row r of the file is pixel index r; the decoder must place them 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    GifSpec spec;
    spec.width = 1;
    spec.height = 10;
    spec.tableBits = 4;
    spec.minCodeSize = 4;
    spec.interlaced = true;
    spec.codeBlocks = RootCodes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 4);
    const auto image = DecodeGIF(MakeGif(spec));
    ASSERT_NE(image, nullptr);
    const int order[] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    for (int stored = 0; stored < 10; ++stored) {
        EXPECT_EQ(image->GetBits()[order[stored]], Colour(stored)) << "row " << order[stored];
    }
}

TEST(GifDecoder, FullCodeTableWithoutClearStopsDecoding)
{
    // Minimum code size 2: entries 6..4095 fill after 4091 root codes; the next code ends the image.
    CodeWriter writer(2);
    writer.Clear();
    for (int i = 0; i < 4095; ++i) {
        writer.Code(i % 3);
    }
    writer.End();
    GifSpec spec;
    spec.width = 64;
    spec.height = 70;
    spec.tableBits = 2;
    spec.minCodeSize = 2;
    spec.codeBlocks = writer.Blocks();
    const auto image = DecodeGIF(MakeGif(spec));
    ASSERT_NE(image, nullptr);
    const uint32_t* bits = image->GetBits();
    EXPECT_EQ(bits[0], Colour(0));
    EXPECT_EQ(bits[4090], Colour(4090 % 3));
    EXPECT_EQ(bits[4091], 0u);
    EXPECT_EQ(bits[64 * 70 - 1], 0u);
}

TEST(GifDecoder, DataThatStopEarlyLeaveTheRestTransparent)
{
    GifSpec spec;
    spec.width = 4;
    spec.height = 4;
    std::vector<uint8_t> blocks = RootCodes({1, 2, 3, 4, 5});
    spec.codeBlocks = blocks;
    const auto image = DecodeGIF(MakeGif(spec));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetBits()[4], Colour(5));
    EXPECT_EQ(image->GetBits()[5], 0u);

    // Cut inside the code stream, with no terminator and no trailer.
    std::vector<uint8_t> cut = MakeGif(spec);
    cut.resize(cut.size() - 4);
    EXPECT_NE(DecodeGIF(cut), nullptr);
}

TEST(GifDecoder, RefusesDataOutsideItsTables)
{
    QuietLog quiet;
    struct Case {
        const char* name;
        GifSpec spec;
    };
    GifSpec base;
    base.width = 2;
    base.height = 1;
    base.codeBlocks = RootCodes({0, 1});

    std::vector<Case> cases;
    GifSpec codeSize12 = base;
    codeSize12.minCodeSize = 12;
    cases.push_back({"code size 12", codeSize12});
    GifSpec beyondPalette = base;
    beyondPalette.tableBits = 1;
    beyondPalette.codeBlocks = RootCodes({0, 3});
    cases.push_back({"index beyond the palette", beyondPalette});
    GifSpec noTable = base;
    noTable.tableBits = 0;
    cases.push_back({"no colour table", noTable});
    GifSpec zeroWidth = base;
    zeroWidth.width = 0;
    cases.push_back({"zero width", zeroWidth});
    GifSpec negative = base;
    negative.height = 0x8001;
    cases.push_back({"negative height", negative});
    GifSpec huge = base;
    huge.width = huge.height = 0x7FFF;
    cases.push_back({"too large", huge});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeGIF(MakeGif(c.spec)), nullptr);
    }

    // A code beyond the next free one, and a first code after a clear that is not a root, both end decoding.
    for (bool afterClear : {false, true}) {
        CodeWriter writer(3);
        writer.Clear();
        writer.Code(1);
        if (afterClear) {
            writer.Clear();
            writer.Code(10);
        } else {
            writer.Code(13);
        }
        writer.End();
        GifSpec spec = base;
        spec.width = 3;
        spec.codeBlocks = writer.Blocks();
        const auto image = DecodeGIF(MakeGif(spec));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetBits()[0], Colour(1));
        EXPECT_EQ(image->GetBits()[1], 0u);
    }

    const std::vector<uint8_t> notGif = {'G', 'I', 'F', '9', '0', 'a', 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(DecodeGIF(notGif), nullptr);
    GifSpec onlyTrailer = base;
    std::vector<uint8_t> noImage = MakeGif(onlyTrailer);
    noImage.resize(6 + 7 + 24);
    noImage.push_back(';');
    EXPECT_EQ(DecodeGIF(noImage), nullptr);
}

} // namespace
