#include "graphics/ImageLib.h"

#include "graphics/JpegCodec.h"
#include "graphics/PakInterface.h"
#include "graphics/PngCodec.h"
#include "graphics/TgaDecoder.h"
#include "platform/log/Log.h"
#include "tests/TestHelpers.h"
#include "tests/platform/j2kcodec/J2KTestEncoder.h"
#include "tools/pak/PakWriter.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <csetjmp>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ImageLib::Image;
using TestHelpers::QuietLog;
using TestHelpers::ScratchFolder;

std::vector<uint32_t> Pixels(const Image& image)
{
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + size_t(image.GetWidth()) * image.GetHeight());
}

std::unique_ptr<Image> MakeImage(int width, int height, const std::function<uint32_t(int, int)>& pixel)
{
    auto image = std::make_unique<Image>(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image->GetBits()[y * width + x] = pixel(x, y);
        }
    }
    return image;
}

std::vector<uint8_t> Tga(int width, int height, uint8_t depth, uint8_t descriptor, const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;
    out[12] = uint8_t(width);
    out[13] = uint8_t(width >> 8);
    out[14] = uint8_t(height);
    out[15] = uint8_t(height >> 8);
    out[16] = depth;
    out[17] = descriptor;
    for (uint32_t p : pixels) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(uint8_t(p >> (8 * i)));
        }
    }
    return out;
}

std::vector<uint8_t> Png(const Image& image)
{
    std::vector<uint8_t> out;
    EXPECT_TRUE(ImageLib::EncodePNG(image, out));
    return out;
}

// A PNG in a layout of libpng's choosing: colour type, bit depth and interlacing, from 8-bit RGBA pixels.
std::vector<uint8_t> PngVariant(const Image& image, int colourType, int bitDepth, bool interlaced)
{
    struct Context {
        std::vector<uint8_t> out;
        std::vector<std::vector<uint8_t>> rows;
        std::vector<png_bytep> pointers;
    } c;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng failed";
        return {};
    }
    png_set_write_fn(
        png, &c.out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + n);
        },
        nullptr);
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::map<uint32_t, int> paletteIndex;
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> palette;
        std::vector<png_byte> alpha;
        for (uint32_t p : Pixels(image)) {
            if (paletteIndex.emplace(p, int(palette.size())).second) {
                palette.push_back(png_color{png_byte(p >> 16), png_byte(p >> 8), png_byte(p)});
                alpha.push_back(png_byte(p >> 24));
            }
        }
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        png_set_tRNS(png, info, alpha.data(), int(alpha.size()), nullptr);
    }
    png_write_info(png, info);
    const int channels = colourType == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                         : colourType == PNG_COLOR_TYPE_RGB        ? 3
                         : colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                   : 1;
    for (int y = 0; y < h; ++y) {
        std::vector<uint8_t> row;
        int bits = 0;
        for (int x = 0; x < w; ++x) {
            const uint32_t p = image.GetBits()[y * w + x];
            const uint8_t rgba[4] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)};
            std::vector<uint8_t> samples;
            if (colourType == PNG_COLOR_TYPE_PALETTE) {
                samples = {uint8_t(paletteIndex[p])};
            } else if (channels >= 3) {
                samples.assign(rgba, rgba + channels);
            } else {
                samples = {rgba[0]};
                if (channels == 2) {
                    samples.push_back(rgba[3]);
                }
            }
            for (uint8_t s : samples) {
                if (bitDepth == 16) {
                    row.push_back(s);
                    row.push_back(0x5A); // low byte: dropped when stripped to 8 bits
                } else if (bitDepth == 8) {
                    row.push_back(s);
                } else {
                    if (bits % 8 == 0) {
                        row.push_back(0);
                    }
                    row.back() |= uint8_t((s >> (8 - bitDepth)) << (8 - bitDepth - bits % 8));
                    bits += bitDepth;
                }
            }
        }
        c.rows.push_back(row);
    }
    for (auto& row : c.rows) {
        c.pointers.push_back(row.data());
    }
    png_write_image(png, c.pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return c.out;
}

TEST(ImageLib, TgaReadsOnlyUncompressedTopLeft32Bit)
{
    QuietLog quiet;
    const std::vector<uint32_t> pixels = {0x80112233, 0xFF445566, 0x00778899, 0x12345678, 0, 0xFFFFFFFF};
    const auto image = ImageLib::DecodeTGA(Tga(3, 2, 32, 0x28, pixels));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 3);
    EXPECT_EQ(image->GetHeight(), 2);
    EXPECT_EQ(Pixels(*image), pixels);

    std::vector<uint8_t> shortPixels = Tga(3, 2, 32, 0x28, pixels);
    shortPixels.pop_back();
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    const Case refused[] = {
        {"24-bit", Tga(3, 2, 24, 0x28, pixels)},
        {"bottom-left origin", Tga(3, 2, 32, 0x08, pixels)},
        {"short pixel area", shortPixels},
        {"short header", std::vector<uint8_t>(17, 0)},
        {"empty", {}},
        {"zero width", Tga(0, 2, 32, 0x28, {})},
        {"huge", Tga(0xFFFF, 0xFFFF, 32, 0x28, pixels)},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ImageLib::DecodeTGA(c.file), nullptr);
    }
}

TEST(ImageLib, PngLayoutsBecomeArgb)
{
    // Alpha steps of 0x40 keep colours distinct in the palette and show that alpha survives.
    const auto source = MakeImage(9, 7, [](int x, int y) {
        const uint32_t alpha = uint32_t((x + y) % 4) * 0x40 + 0x3F;
        return alpha << 24 | uint32_t(x * 20) << 16 | uint32_t(y * 30) << 8 | uint32_t(x * y);
    });
    const auto opaque = [&source] {
        auto copy = MakeImage(9, 7, [&](int x, int y) { return source->GetBits()[y * 9 + x] | 0xFF000000u; });
        return copy;
    }();
    const auto grey = MakeImage(9, 7, [&](int x, int y) {
        const uint32_t g = (source->GetBits()[y * 9 + x] >> 16) & 0xFF;
        return (source->GetBits()[y * 9 + x] & 0xFF000000u) | g << 16 | g << 8 | g;
    });
    const auto greyOpaque = MakeImage(9, 7, [&](int x, int y) { return grey->GetBits()[y * 9 + x] | 0xFF000000u; });
    const auto fourBitGrey = MakeImage(9, 7, [](int x, int y) {
        const uint32_t g = uint32_t((x + y) % 16) * 0x11;
        return 0xFF000000u | g << 16 | g << 8 | g;
    });

    struct Case {
        const char* name;
        const Image& input;
        int colourType;
        int bitDepth;
        bool interlaced;
    };
    const Case cases[] = {
        {"rgba 8", *source, PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
        {"rgba 16", *source, PNG_COLOR_TYPE_RGB_ALPHA, 16, false},
        {"rgba interlaced", *source, PNG_COLOR_TYPE_RGB_ALPHA, 8, true},
        {"rgba 16 interlaced", *source, PNG_COLOR_TYPE_RGB_ALPHA, 16, true},
        {"rgb", *opaque, PNG_COLOR_TYPE_RGB, 8, false},
        {"palette with tRNS", *source, PNG_COLOR_TYPE_PALETTE, 8, true},
        {"grey", *greyOpaque, PNG_COLOR_TYPE_GRAY, 8, false},
        {"grey 4-bit", *fourBitGrey, PNG_COLOR_TYPE_GRAY, 4, false},
        {"grey alpha 16", *grey, PNG_COLOR_TYPE_GRAY_ALPHA, 16, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> file = PngVariant(c.input, c.colourType, c.bitDepth, c.interlaced);
        const auto image = ImageLib::DecodePNG(file);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), 9);
        EXPECT_EQ(image->GetHeight(), 7);
        EXPECT_EQ(Pixels(*image), Pixels(c.input));
    }
}

TEST(ImageLib, DamagedPngIsRefused)
{
    QuietLog quiet;
    const auto source = MakeImage(4, 4, [](int x, int y) { return 0xFF000000u | uint32_t(x * 16 + y); });
    const std::vector<uint8_t> good = Png(*source);
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(good.size() / 2));
    std::vector<uint8_t> flipped = good;
    flipped[good.size() / 2] ^= 0x10; // breaks a checksum
    std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'p', 'n', 'g'};
    for (const std::vector<uint8_t>* bad : {&cut, &flipped, &text}) {
        EXPECT_EQ(ImageLib::DecodePNG(*bad), nullptr);
    }
}

TEST(ImageLib, JpegRoundTripAndDamage)
{
    QuietLog quiet;
    const auto source = MakeImage(
        64, 64, [](int x, int y) { return 0x80000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | 0x40; });
    std::vector<uint8_t> file;
    ASSERT_TRUE(ImageLib::EncodeJPEG(*source, 80, file));
    const auto image = ImageLib::DecodeJPEG(file);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetWidth(), 64);
    ASSERT_EQ(image->GetHeight(), 64);
    for (int i = 0; i < 64 * 64; ++i) {
        const uint32_t got = image->GetBits()[i];
        const uint32_t want = source->GetBits()[i];
        EXPECT_EQ(got >> 24, 0xFFu); // alpha is not stored
        for (int shift : {0, 8, 16}) {
            EXPECT_NEAR(int(got >> shift & 0xFF), int(want >> shift & 0xFF), 12) << i;
        }
    }

    // A premature end keeps the picture; garbage and an empty input do not.
    std::vector<uint8_t> cut(file.begin(), file.end() - 100);
    const auto partial = ImageLib::DecodeJPEG(cut);
    ASSERT_NE(partial, nullptr);
    EXPECT_EQ(partial->GetBits()[0], image->GetBits()[0]);
    EXPECT_EQ(ImageLib::DecodeJPEG(std::vector<uint8_t>{}), nullptr);
    EXPECT_EQ(ImageLib::DecodeJPEG(std::vector<uint8_t>(100, 0x42)), nullptr);
    std::vector<uint8_t> headerOnly(file.begin(), file.begin() + 20);
    EXPECT_EQ(ImageLib::DecodeJPEG(headerOnly), nullptr);

    Image empty;
    EXPECT_FALSE(ImageLib::EncodeJPEG(empty, 80, file));

    // A one-component file comes out grey and opaque.
    const auto grey = ImageLib::GetJPEGImage(std::string(ILVANE_TEST_DATA) + "/fuzz/jpeg/grey.jpg");
    ASSERT_NE(grey, nullptr);
    for (uint32_t p : Pixels(*grey)) {
        EXPECT_EQ(p >> 24, 0xFFu);
        EXPECT_EQ(p >> 16 & 0xFF, p & 0xFF);
        EXPECT_EQ(p >> 8 & 0xFF, p & 0xFF);
    }
}

TEST(ImageLib, WritersReplaceFilesThatReadBack)
{
    QuietLog quiet;
    ScratchFolder folder("image");
    const auto source = MakeImage(5, 3, [](int x, int y) { return uint32_t(x * 50) << 24 | uint32_t(y) << 8 | 7; });
    const std::string png = folder.Name("shots/a.png");
    ASSERT_TRUE(ImageLib::WritePNGImage(png, *source));
    const auto back = ImageLib::GetPNGImage(png);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Pixels(*back), Pixels(*source));

    const std::string jpeg = folder.Name("thumb.jpg");
    ASSERT_TRUE(ImageLib::WriteJPEGImage(jpeg, *source));
    const auto jpegBack = ImageLib::GetJPEGImage(jpeg);
    ASSERT_NE(jpegBack, nullptr);
    EXPECT_EQ(jpegBack->GetWidth(), 5);

    Image pair(2, 1);
    pair.GetBits()[0] = 0xFF0000FF;
    pair.GetBits()[1] = 0xFF00FF00;
    EXPECT_TRUE(ImageLib::WritePNGImage(folder.Name("pair.png"), pair));

    Image empty;
    EXPECT_FALSE(ImageLib::WritePNGImage(folder.Name("empty.png"), empty));
    EXPECT_FALSE(fs::exists(folder.Name("empty.png")));
    fs::create_directories(folder.Name("taken.png"));
    EXPECT_FALSE(ImageLib::WritePNGImage(folder.Name("taken.png"), *source));
}

TEST(ImageLib, GetImageChoosesReadersAndMergesAlphaImages)
{
    QuietLog quiet;
    ScratchFolder folder("image");
    const auto colour =
        MakeImage(2, 2, [](int x, int y) { return 0xFF000000u | uint32_t(x + 1) << 16 | uint32_t(y + 1); });
    const auto alpha = MakeImage(2, 2, [](int x, int y) { return 0xFF000000u | uint32_t(x * 16 + y * 64 + 3); });
    const auto small = MakeImage(1, 1, [](int, int) { return 0xFF000099u; });

    folder.Write("pic.png", Png(*colour));
    folder.Write("_pic.png", Png(*alpha));
    folder.Write("dir/pic.tga", Tga(2, 2, 32, 0x28, Pixels(*colour)));
    folder.Write("dir/_pic.tga", Tga(2, 2, 32, 0x28, Pixels(*alpha)));
    folder.Write("odd.gif", Png(*colour)); // a PNG under a GIF name is no GIF
    folder.Write("other.png", Png(*colour));
    folder.Write("_other.png", Png(*small)); // a size that does not match: dropped
    folder.Write("only.bmp", Png(*colour));

    auto expectMerged = [&](const Image& image) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(image.GetBits()[i], (colour->GetBits()[i] & 0xFFFFFF) | (alpha->GetBits()[i] & 0xFF) << 24);
        }
    };
    // No extension: TGA and JPEG are tried, the PNG is found; "_pic" supplies the alpha.
    auto image = ImageLib::GetImage(folder.Name("pic"));
    ASSERT_NE(image, nullptr);
    expectMerged(*image);
    // The extension picks the reader whatever its case; the alpha image keeps the extension as given.
    image = ImageLib::GetImage(folder.Name("dir/pic.TGA"));
    ASSERT_NE(image, nullptr);
    expectMerged(*image);
    image = ImageLib::GetImage(folder.Name("pic.png"), false);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), Pixels(*colour));

    image = ImageLib::GetImage(folder.Name("other.png"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), Pixels(*colour));

    EXPECT_EQ(ImageLib::GetImage(folder.Name("odd.gif")), nullptr);
    EXPECT_EQ(ImageLib::GetImage(folder.Name("only.bmp")), nullptr);
    EXPECT_EQ(ImageLib::GetImage(folder.Name("missing")), nullptr);
}

TEST(ImageLib, AlphaImageAloneIsRecoloured)
{
    QuietLog quiet;
    ScratchFolder folder("image");
    // A GIF of two pixels, indices 0 and 1, palette black and (0, 0, 0x80).
    const std::vector<uint8_t> gif = {'G',  'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 0,    0,    0, 0,  0,
                                      0x80, ',', 0,   0,   0,   0,   2, 0, 1, 0, 0,    2, 2, 0x44, 0x0A, 0, ';'};
    folder.Write("_pic.gif", gif);
    ImageLib::gAlphaComposeColor = 0x123456;
    const auto image = ImageLib::GetImage(folder.Name("pic.gif"));
    ImageLib::gAlphaComposeColor = 0xFFFFFF;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0x00123456, 0x80123456}));

    ImageLib::gAutoLoadAlpha = false;
    EXPECT_EQ(ImageLib::GetImage(folder.Name("pic.gif")), nullptr);
    ImageLib::gAutoLoadAlpha = true;
}

TEST(ImageLib, ReadsThroughThePackLayer)
{
    const auto colour = MakeImage(3, 1, [](int x, int) { return 0xFF000000u | uint32_t(x); });
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(PakTool::BuildPak({{"images\\pic.png", Png(*colour), 0}}, archive, error));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("data.pak", archive));
    const auto image = ImageLib::GetImage("Images/Pic");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), Pixels(*colour));
}

TEST(ImageLib, Jpeg2000ThroughTheCodec)
{
    QuietLog quiet;
    ScratchFolder folder("image");
    auto sample = [](int x, int y, int c) { return uint8_t(c == 3 ? 0x20 : x * 60 + y * 5 + c); };
    folder.Write("pic.jp2", J2KTest::Encode(4, 3, 4, sample, OPJ_CODEC_JP2));
    folder.Write("pic.j2k", J2KTest::Encode(4, 3, 3, sample));

    ImageLib::LoadJ2KCodec();
    auto image = ImageLib::GetImage(folder.Name("pic.jp2"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 4);
    EXPECT_EQ(image->GetHeight(), 3);
    EXPECT_EQ(image->GetBits()[5], 0xFF000000u | uint32_t(sample(1, 1, 0)) << 16 | uint32_t(sample(1, 1, 1)) << 8 |
                                       sample(1, 1, 2)); // alpha ignored
    ImageLib::gIgnoreJPEG2000Alpha = false;
    image = ImageLib::GetJPEG2000Image(folder.Name("pic.jp2"));
    ImageLib::gIgnoreJPEG2000Alpha = true;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetBits()[0] >> 24, 0x20u);
    EXPECT_NE(ImageLib::GetImage(folder.Name("pic")), nullptr); // found as pic.j2k
    EXPECT_EQ(ImageLib::GetImage(folder.Name("junk.j2k")), nullptr);

    // Without the codec JPEG-2000 reads as nothing; other formats are unaffected; loading again restores it.
    ImageLib::FreeJ2KCodec();
    EXPECT_EQ(ImageLib::GetImage(folder.Name("pic.jp2")), nullptr);
    folder.Write("ok.png", Png(*MakeImage(1, 1, [](int, int) { return 0xFFFFFFFFu; })));
    EXPECT_NE(ImageLib::GetImage(folder.Name("ok.png")), nullptr);
    ImageLib::LoadJ2KCodec();
    EXPECT_NE(ImageLib::GetImage(folder.Name("pic.jp2")), nullptr);
}

} // namespace
