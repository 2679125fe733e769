#include "graphics/PngCodec.h"

#include "platform/log/Log.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>

namespace ImageLib {
namespace {

// libpng reports errors by longjmp. Everything the error path must free lives in these contexts, outside the
// frame that calls setjmp, so no automatic object of that frame changes between setjmp and a longjmp.
struct ReadContext {
    std::span<const uint8_t> data;
    size_t pos = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::unique_ptr<Image> image;
    std::vector<png_bytep> rows;
};

struct WriteContext {
    std::vector<uint8_t>* out = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;
};

void PngError(png_structp png, png_const_charp message)
{
    Platform::Log(Platform::LogLevel::Warning, "image", "PNG: %s", message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp message)
{
    Platform::Log(Platform::LogLevel::Debug, "image", "PNG: %s", message);
}

void PNGReadCallback(png_structp png, png_bytep buffer, png_size_t length)
{
    auto* context = static_cast<ReadContext*>(png_get_io_ptr(png));
    if (context->data.size() - context->pos < length) {
        png_error(png, "Read Error");
    }
    std::memcpy(buffer, context->data.data() + context->pos, length);
    context->pos += length;
}

void PNGWriteCallback(png_structp png, png_bytep buffer, png_size_t length)
{
    auto* context = static_cast<WriteContext*>(png_get_io_ptr(png));
    context->out->insert(context->out->end(), buffer, buffer + length);
}

void PNGFlushCallback(png_structp) {}

// On a little-endian machine B, G, R, A bytes are the pixel 0xAARRGGBB already.
void BytesToPixels(Image& image)
{
    if constexpr (std::endian::native == std::endian::big) {
        const size_t count = size_t(image.mWidth) * size_t(image.mHeight);
        for (size_t i = 0; i < count; ++i) {
            image.mBits[i] = __builtin_bswap32(image.mBits[i]);
        }
    }
}

bool ReadPng(ReadContext& c)
{
    if (setjmp(png_jmpbuf(c.png))) {
        return false;
    }
    png_set_read_fn(c.png, &c, PNGReadCallback);
    png_read_info(c.png, c.info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    png_get_IHDR(c.png, c.info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    if (width == 0 || height == 0 || uint64_t(width) * height > kMaxPixels) {
        png_error(c.png, "unusable image size");
    }
    png_set_expand(c.png);
    png_set_filler(c.png, 0xFF, PNG_FILLER_AFTER);
    png_set_expand(c.png);
    png_set_gray_to_rgb(c.png);
    png_set_bgr(c.png);
    // Without these, 16-bit rows are twice as long as a pixel row and interlaced files come out scrambled.
    png_set_strip_16(c.png);
    png_set_interlace_handling(c.png);
    png_read_update_info(c.png, c.info);
    if (png_get_rowbytes(c.png, c.info) != png_size_t(width) * 4) {
        png_error(c.png, "unexpected row layout");
    }
    c.image = std::make_unique<Image>(int(width), int(height));
    c.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        c.rows[y] = reinterpret_cast<png_bytep>(c.image->mBits.get() + size_t(y) * width);
    }
    png_read_image(c.png, c.rows.data());
    png_read_end(c.png, nullptr);
    return true;
}

bool WritePng(WriteContext& c, const Image& image)
{
    if (setjmp(png_jmpbuf(c.png))) {
        return false;
    }
    png_set_write_fn(c.png, &c, PNGWriteCallback, PNGFlushCallback);
    png_color_8 significant{};
    significant.red = significant.green = significant.blue = significant.alpha = 8;
    png_set_sBIT(c.png, c.info, &significant);
    png_set_IHDR(c.png, c.info, png_uint_32(image.mWidth), png_uint_32(image.mHeight), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(c.png, c.info);
    png_set_bgr(c.png);
    png_write_rows(c.png, c.rows.data(), png_uint_32(c.rows.size()));
    png_write_end(c.png, c.info);
    return true;
}

} // namespace

std::unique_ptr<Image> DecodePNG(std::span<const uint8_t> data)
{
    ReadContext context;
    context.data = data;
    // The version of the library we link, so that libpng accepts the structures.
    context.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (context.png == nullptr) {
        return nullptr;
    }
    context.info = png_create_info_struct(context.png);
    bool ok = context.info != nullptr && ReadPng(context);
    png_destroy_read_struct(&context.png, context.info != nullptr ? &context.info : nullptr, nullptr);
    if (!ok) {
        return nullptr;
    }
    BytesToPixels(*context.image);
    return std::move(context.image);
}

bool EncodePNG(const Image& image, std::vector<uint8_t>& out)
{
    out.clear();
    if (image.mWidth <= 0 || image.mHeight <= 0 || image.mBits == nullptr) {
        return false;
    }
    // libpng reads B, G, R, A bytes; on a big-endian machine the pixels are swapped into a copy first.
    std::vector<uint32_t> swapped;
    const uint32_t* pixels = image.mBits.get();
    if constexpr (std::endian::native == std::endian::big) {
        const size_t count = size_t(image.mWidth) * size_t(image.mHeight);
        swapped.resize(count);
        for (size_t i = 0; i < count; ++i) {
            swapped[i] = __builtin_bswap32(image.mBits[i]);
        }
        pixels = swapped.data();
    }
    WriteContext context;
    context.out = &out;
    context.rows.resize(size_t(image.mHeight));
    for (int y = 0; y < image.mHeight; ++y) {
        context.rows[size_t(y)] =
            reinterpret_cast<png_bytep>(const_cast<uint32_t*>(pixels + size_t(y) * size_t(image.mWidth)));
    }
    context.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (context.png == nullptr) {
        return false;
    }
    context.info = png_create_info_struct(context.png);
    const bool ok = context.info != nullptr && WritePng(context, image);
    png_destroy_write_struct(&context.png, context.info != nullptr ? &context.info : nullptr);
    if (!ok) {
        out.clear();
    }
    return ok;
}

} // namespace ImageLib
