#include "graphics/JpegCodec.h"

#include "platform/log/Log.h"

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

namespace ImageLib {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void JPEGOutputMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    Platform::Log(Platform::LogLevel::Warning, "image", "JPEG: %s", text);
}

void JPEGErrorExit(j_common_ptr info)
{
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void InstallErrors(ErrorManager& errors)
{
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JPEGErrorExit;
    errors.pub.output_message = JPEGOutputMessage;
}

// A source over the bytes in memory that behaves as a file source does at the end of the data: an empty input
// is an error, a premature end a warning followed by a supplied end-of-image marker.
struct PakJPEGSource {
    jpeg_source_mgr pub;
    std::span<const uint8_t> data;
    bool startOfFile = true;
    bool delivered = false;
};

constexpr JOCTET kFakeEndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<PakJPEGSource*>(info->src);
    source->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<PakJPEGSource*>(info->src);
    if (!source->delivered && !source->data.empty()) {
        source->delivered = true;
        source->startOfFile = false;
        source->pub.next_input_byte = source->data.data();
        source->pub.bytes_in_buffer = source->data.size();
        return TRUE;
    }
    if (source->startOfFile) {
        ERREXIT(info, JERR_INPUT_EMPTY);
    }
    WARNMS(info, JWRN_JPEG_EOF);
    source->pub.next_input_byte = kFakeEndOfImage;
    source->pub.bytes_in_buffer = sizeof(kFakeEndOfImage);
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0) {
        return;
    }
    auto* source = reinterpret_cast<PakJPEGSource*>(info->src);
    while (size_t(count) > source->pub.bytes_in_buffer) {
        count -= long(source->pub.bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

struct DecodeContext {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    PakJPEGSource source{};
    std::unique_ptr<Image> image;
    std::vector<JSAMPLE> row;
};

bool DecodeInto(DecodeContext& c)
{
    if (setjmp(c.errors.jump)) {
        return false;
    }
    jpeg_read_header(&c.info, TRUE);
    if (uint64_t(c.info.image_width) * c.info.image_height > kMaxPixels) {
        Platform::Log(Platform::LogLevel::Warning, "image", "JPEG: image too large");
        return false;
    }
    // Grey stays grey; everything else is asked for as RGB (a colour space that cannot be converted fails).
    c.info.out_color_space = c.info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&c.info);
    const int components = c.info.output_components;
    const int width = int(c.info.output_width);
    const int height = int(c.info.output_height);
    if ((components != 1 && components != 3) || width <= 0 || height <= 0) {
        Platform::Log(Platform::LogLevel::Warning, "image", "JPEG: unsupported layout");
        return false;
    }
    c.row.resize(size_t(width) * size_t(components));
    c.image = std::make_unique<Image>(width, height);
    while (c.info.output_scanline < c.info.output_height) {
        const int y = int(c.info.output_scanline);
        JSAMPROW rows[1] = {c.row.data()};
        if (jpeg_read_scanlines(&c.info, rows, 1) != 1) {
            break;
        }
        uint32_t* out = c.image->mBits.get() + size_t(y) * size_t(width);
        const JSAMPLE* in = c.row.data();
        for (int x = 0; x < width; ++x) {
            if (components == 1) {
                const uint32_t g = in[x];
                out[x] = 0xFF000000u | g << 16 | g << 8 | g;
            } else {
                const JSAMPLE* p = in + size_t(x) * 3;
                out[x] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            }
        }
    }
    jpeg_finish_decompress(&c.info);
    return true;
}

struct VectorDestination {
    jpeg_destination_mgr pub;
    std::vector<uint8_t>* out = nullptr;
    JOCTET buffer[4096];
};

void InitDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = sizeof(destination->buffer);
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    destination->out->insert(destination->out->end(), destination->buffer,
                             destination->buffer + sizeof(destination->buffer));
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    const size_t used = sizeof(destination->buffer) - destination->pub.free_in_buffer;
    destination->out->insert(destination->out->end(), destination->buffer, destination->buffer + used);
}

struct EncodeContext {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    VectorDestination destination{};
    std::vector<JSAMPLE> row;
};

bool EncodeInto(EncodeContext& c, const Image& image, int quality)
{
    if (setjmp(c.errors.jump)) {
        return false;
    }
    c.info.image_width = JDIMENSION(image.mWidth);
    c.info.image_height = JDIMENSION(image.mHeight);
    c.info.input_components = 3;
    c.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);
    c.row.resize(size_t(image.mWidth) * 3);
    while (c.info.next_scanline < c.info.image_height) {
        const uint32_t* in = image.mBits.get() + size_t(c.info.next_scanline) * size_t(image.mWidth);
        for (int x = 0; x < image.mWidth; ++x) {
            c.row[size_t(x) * 3 + 0] = JSAMPLE(in[x] >> 16);
            c.row[size_t(x) * 3 + 1] = JSAMPLE(in[x] >> 8);
            c.row[size_t(x) * 3 + 2] = JSAMPLE(in[x]);
        }
        JSAMPROW rows[1] = {c.row.data()};
        jpeg_write_scanlines(&c.info, rows, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

} // namespace

std::unique_ptr<Image> DecodeJPEG(std::span<const uint8_t> data)
{
    DecodeContext context;
    InstallErrors(context.errors);
    context.info.err = &context.errors.pub;
    jpeg_create_decompress(&context.info);
    context.source.data = data;
    context.source.pub.init_source = InitSource;
    context.source.pub.fill_input_buffer = FillInputBuffer;
    context.source.pub.skip_input_data = SkipInputData;
    context.source.pub.resync_to_restart = jpeg_resync_to_restart;
    context.source.pub.term_source = TermSource;
    context.source.pub.bytes_in_buffer = 0;
    context.source.pub.next_input_byte = nullptr;
    context.info.src = &context.source.pub;
    const bool ok = DecodeInto(context);
    jpeg_destroy_decompress(&context.info);
    return ok ? std::move(context.image) : nullptr;
}

bool EncodeJPEG(const Image& image, int quality, std::vector<uint8_t>& out)
{
    out.clear();
    if (image.mWidth <= 0 || image.mHeight <= 0 || image.mBits == nullptr) {
        return false;
    }
    EncodeContext context;
    InstallErrors(context.errors);
    context.info.err = &context.errors.pub;
    jpeg_create_compress(&context.info);
    context.destination.out = &out;
    context.destination.pub.init_destination = InitDestination;
    context.destination.pub.empty_output_buffer = EmptyOutputBuffer;
    context.destination.pub.term_destination = TermDestination;
    context.info.dest = &context.destination.pub;
    const bool ok = EncodeInto(context, image, quality);
    jpeg_destroy_compress(&context.info);
    if (!ok) {
        out.clear();
    }
    return ok;
}

} // namespace ImageLib
