#pragma once

// Writes small JPEG-2000 files with openjpeg, for tests of the codec stand-in and the image reader.

#include <openjpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace J2KTest {

struct OutStream {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
};

inline OPJ_SIZE_T Write(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* out = static_cast<OutStream*>(user);
    if (out->bytes.size() < out->pos + count) {
        out->bytes.resize(out->pos + count);
    }
    std::memcpy(out->bytes.data() + out->pos, buffer, count);
    out->pos += count;
    return count;
}

inline OPJ_OFF_T Skip(OPJ_OFF_T count, void* user)
{
    auto* out = static_cast<OutStream*>(user);
    out->pos = size_t(OPJ_OFF_T(out->pos) + count);
    if (out->bytes.size() < out->pos) {
        out->bytes.resize(out->pos);
    }
    return count;
}

inline OPJ_BOOL Seek(OPJ_OFF_T position, void* user)
{
    auto* out = static_cast<OutStream*>(user);
    out->pos = size_t(position);
    if (out->bytes.size() < out->pos) {
        out->bytes.resize(out->pos);
    }
    return OPJ_TRUE;
}

/// A lossless file of width × height with `components` 8-bit components; sample(x, y, c) gives each value. A
/// colour space other than the default (sRGB for colour, grey otherwise) is stored as given, without the
/// component transform.
inline std::vector<uint8_t> Encode(int width, int height, int components,
                                   const std::function<uint8_t(int, int, int)>& sample,
                                   OPJ_CODEC_FORMAT format = OPJ_CODEC_J2K,
                                   OPJ_COLOR_SPACE space = OPJ_CLRSPC_UNSPECIFIED)
{
    std::vector<opj_image_cmptparm_t> parameters(static_cast<size_t>(components));
    for (auto& p : parameters) {
        std::memset(&p, 0, sizeof(p));
        p.dx = p.dy = 1;
        p.w = OPJ_UINT32(width);
        p.h = OPJ_UINT32(height);
        p.prec = 8;
        p.sgnd = 0;
    }
    const bool ownSpace = space != OPJ_CLRSPC_UNSPECIFIED;
    if (!ownSpace) {
        space = components >= 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY;
    }
    opj_image_t* image = opj_image_create(OPJ_UINT32(components), parameters.data(), space);
    image->x0 = image->y0 = 0;
    image->x1 = OPJ_UINT32(width);
    image->y1 = OPJ_UINT32(height);
    for (int c = 0; c < components; ++c) {
        if (c == 3 || (components == 2 && c == 1)) {
            image->comps[c].alpha = 1;
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image->comps[c].data[y * width + x] = sample(x, y, c);
            }
        }
    }
    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.numresolution = 1;
    settings.tcp_numlayers = 1;
    settings.tcp_rates[0] = 0;
    settings.cp_disto_alloc = 1;
    if (ownSpace) {
        settings.tcp_mct = 0;
    }
    opj_codec_t* codec = opj_create_compress(format);
    OutStream out;
    opj_stream_t* stream = opj_stream_create(4096, OPJ_FALSE);
    opj_stream_set_write_function(stream, Write);
    opj_stream_set_skip_function(stream, Skip);
    opj_stream_set_seek_function(stream, Seek);
    opj_stream_set_user_data(stream, &out, nullptr);
    const bool ok = opj_setup_encoder(codec, &settings, image) && opj_start_compress(codec, image, stream) &&
                    opj_encode(codec, stream) && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    if (!ok) {
        out.bytes.clear();
    }
    return out.bytes;
}

} // namespace J2KTest
