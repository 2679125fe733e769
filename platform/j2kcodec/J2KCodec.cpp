#include "platform/j2kcodec/J2KCodec.h"

#include "platform/files/FileSystem.h"
#include "platform/log/Log.h"

#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {
namespace {

// Limits that keep a hostile header from asking for gigabytes.
constexpr size_t kMaxStreamBytes = size_t(256) << 20;
constexpr uint64_t kMaxPixels = uint64_t(1) << 24;

thread_local int tLastError = kJ2KOk;

int SetError(int code)
{
    tLastError = code;
    return code;
}

struct CodecHandle {
    std::vector<uint8_t> data;
    OPJ_CODEC_FORMAT format = OPJ_CODEC_UNKNOWN;
    bool haveInfo = false;
    int width = 0; // full resolution
    int height = 0;
    int components = 0;
};

struct MemoryStream {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* stream = static_cast<MemoryStream*>(user);
    if (stream->pos >= stream->size) {
        return OPJ_SIZE_T(-1);
    }
    const size_t n = std::min<size_t>(count, stream->size - stream->pos);
    std::memcpy(buffer, stream->data + stream->pos, n);
    stream->pos += n;
    return n;
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* user)
{
    auto* stream = static_cast<MemoryStream*>(user);
    if (count < 0) {
        const size_t back = std::min<size_t>(size_t(-count), stream->pos);
        stream->pos -= back;
        return -OPJ_OFF_T(back);
    }
    const size_t n = std::min<size_t>(size_t(count), stream->size - stream->pos);
    stream->pos += n;
    return OPJ_OFF_T(n);
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* user)
{
    auto* stream = static_cast<MemoryStream*>(user);
    if (offset < 0 || uint64_t(offset) > stream->size) {
        return OPJ_FALSE;
    }
    stream->pos = size_t(offset);
    return OPJ_TRUE;
}

void OpjMessage(const char* message, void*)
{
    std::string text(message != nullptr ? message : "");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    Log(LogLevel::Debug, "j2k", "%s", text.c_str());
}

OPJ_CODEC_FORMAT DetectFormat(const std::vector<uint8_t>& data)
{
    static constexpr uint8_t kJp2Signature[] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
    static constexpr uint8_t kCodeStream[] = {0xFF, 0x4F, 0xFF, 0x51};
    if (data.size() >= sizeof(kJp2Signature) && std::memcmp(data.data(), kJp2Signature, sizeof(kJp2Signature)) == 0) {
        return OPJ_CODEC_JP2;
    }
    if (data.size() >= sizeof(kCodeStream) && std::memcmp(data.data(), kCodeStream, sizeof(kCodeStream)) == 0) {
        return OPJ_CODEC_J2K;
    }
    return OPJ_CODEC_UNKNOWN;
}

// One decoding session over the handle's bytes; openjpeg's objects are freed with it.
class Session {
public:
    Session(const CodecHandle& handle, int reduce) : mStream{handle.data.data(), handle.data.size(), 0}
    {
        mCodec = opj_create_decompress(handle.format);
        mOpjStream = opj_stream_create(64 * 1024, OPJ_TRUE);
        if (mCodec == nullptr || mOpjStream == nullptr) {
            return;
        }
        opj_set_error_handler(mCodec, OpjMessage, nullptr);
        opj_set_warning_handler(mCodec, OpjMessage, nullptr);
        opj_stream_set_read_function(mOpjStream, StreamRead);
        opj_stream_set_skip_function(mOpjStream, StreamSkip);
        opj_stream_set_seek_function(mOpjStream, StreamSeek);
        opj_stream_set_user_data(mOpjStream, &mStream, nullptr);
        opj_stream_set_user_data_length(mOpjStream, mStream.size);
        opj_dparameters_t parameters;
        opj_set_default_decoder_parameters(&parameters);
        parameters.cp_reduce = OPJ_UINT32(reduce);
        mReady =
            opj_setup_decoder(mCodec, &parameters) && opj_read_header(mOpjStream, mCodec, &mImage) && mImage != nullptr;
    }
    ~Session()
    {
        if (mImage != nullptr) {
            opj_image_destroy(mImage);
        }
        if (mCodec != nullptr) {
            opj_destroy_codec(mCodec);
        }
        if (mOpjStream != nullptr) {
            opj_stream_destroy(mOpjStream);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Ready() const { return mReady; }
    opj_image_t* Image() const { return mImage; }
    bool Decode() { return opj_decode(mCodec, mOpjStream, mImage) && opj_end_decompress(mCodec, mOpjStream); }

private:
    MemoryStream mStream;
    opj_codec_t* mCodec = nullptr;
    opj_stream_t* mOpjStream = nullptr;
    opj_image_t* mImage = nullptr;
    bool mReady = false;
};

void* OpenBytes(std::vector<uint8_t> data)
{
    const OPJ_CODEC_FORMAT format = DetectFormat(data);
    if (format == OPJ_CODEC_UNKNOWN) {
        SetError(kJ2KErrorFormat);
        return nullptr;
    }
    auto* handle = new CodecHandle;
    handle->data = std::move(data);
    handle->format = format;
    SetError(kJ2KOk);
    return handle;
}

// 8-bit value of one component sample, whatever its precision and sign.
uint8_t Sample(const opj_image_comp_t& comp, uint32_t x, uint32_t y)
{
    const uint32_t cx = std::min(comp.dx > 1 ? x / comp.dx : x, comp.w - 1);
    const uint32_t cy = std::min(comp.dy > 1 ? y / comp.dy : y, comp.h - 1);
    int64_t value = comp.data[size_t(cy) * comp.w + cx];
    const uint32_t precision = std::clamp<uint32_t>(comp.prec, 1, 31);
    if (comp.sgnd) {
        value += int64_t(1) << (precision - 1);
    }
    if (precision > 8) {
        value >>= (precision - 8);
    } else if (precision < 8) {
        value = value * 255 / ((int64_t(1) << precision) - 1);
    }
    return uint8_t(std::clamp<int64_t>(value, 0, 255));
}

/// sYCC (luma and two chroma differences centred on 128, full range) to sRGB, rounded and clamped.
void YccToRgb(uint8_t y, uint8_t cb, uint8_t cr, uint8_t& r, uint8_t& g, uint8_t& b)
{
    const double luma = y;
    const double blue = double(cb) - 128.0;
    const double red = double(cr) - 128.0;
    const auto channel = [](double value) { return uint8_t(std::clamp(std::lround(value), 0L, 255L)); };
    r = channel(luma + 1.402 * red);
    g = channel(luma - 0.344136 * blue - 0.714136 * red);
    b = channel(luma + 1.772 * blue);
}

bool ParseOptions(const char* options, int& bytesPerPixel, int& level)
{
    bytesPerPixel = 4;
    level = 0;
    std::string_view rest(options != nullptr ? options : "");
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view option = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (option.empty()) {
            continue;
        }
        const size_t equals = option.find('=');
        if (equals == std::string_view::npos) {
            return false;
        }
        const std::string_view key = option.substr(0, equals);
        const std::string value(option.substr(equals + 1));
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != 0 || number < 0 || number > 32) {
            return false;
        }
        if (key == "bpp") {
            bytesPerPixel = int(number);
        } else if (key == "rl") {
            level = int(number);
        } else {
            return false;
        }
    }
    return bytesPerPixel == 3 || bytesPerPixel == 4;
}

int GetVersion()
{
    return kJ2KCodecVersion;
}

void* OpenCustom(void* user, const J2KStreamCallbacks* callbacks)
{
    if (callbacks == nullptr || callbacks->read == nullptr) {
        SetError(kJ2KErrorArgument);
        return nullptr;
    }
    if (callbacks->seek != nullptr && callbacks->seek(user, 0) != 0) {
        SetError(kJ2KErrorFile);
        return nullptr;
    }
    // The whole stream is taken in at once: the decoder seeks back and forth in it.
    std::vector<uint8_t> data;
    uint8_t chunk[64 * 1024];
    for (;;) {
        const int got = callbacks->read(chunk, int(sizeof(chunk)), user);
        if (got <= 0) {
            break;
        }
        data.insert(data.end(), chunk, chunk + std::min<int>(got, int(sizeof(chunk))));
        if (data.size() > kMaxStreamBytes) {
            SetError(kJ2KErrorTooLarge);
            return nullptr;
        }
    }
    if (callbacks->close != nullptr) {
        callbacks->close(user);
    }
    return OpenBytes(std::move(data));
}

void* OpenFile(const char* fileName)
{
    std::vector<uint8_t> data;
    if (fileName == nullptr || !ReadWholeFile(fileName, data)) {
        SetError(kJ2KErrorFile);
        return nullptr;
    }
    if (data.size() > kMaxStreamBytes) {
        SetError(kJ2KErrorTooLarge);
        return nullptr;
    }
    return OpenBytes(std::move(data));
}

void Close(void* handle)
{
    delete static_cast<CodecHandle*>(handle);
}

int GetInfo(void* opaque, int* width, int* height, int* components)
{
    auto* handle = static_cast<CodecHandle*>(opaque);
    if (handle == nullptr) {
        return SetError(kJ2KErrorArgument);
    }
    if (!handle->haveInfo) {
        Session session(*handle, 0);
        if (!session.Ready()) {
            return SetError(kJ2KErrorDecode);
        }
        const opj_image_t& image = *session.Image();
        if (image.x1 <= image.x0 || image.y1 <= image.y0 || image.numcomps == 0 ||
            image.x1 - image.x0 > uint32_t(std::numeric_limits<int>::max()) ||
            image.y1 - image.y0 > uint32_t(std::numeric_limits<int>::max())) {
            return SetError(kJ2KErrorDecode);
        }
        handle->width = int(image.x1 - image.x0);
        handle->height = int(image.y1 - image.y0);
        handle->components = int(image.numcomps);
        handle->haveInfo = true;
    }
    if (width != nullptr) {
        *width = handle->width;
    }
    if (height != nullptr) {
        *height = handle->height;
    }
    if (components != nullptr) {
        *components = handle->components;
    }
    return SetError(kJ2KOk);
}

int GetResolutionDimensions(void* handle, int level, int* width, int* height)
{
    int fullWidth = 0;
    int fullHeight = 0;
    if (level < 0 || level > 31) {
        return SetError(kJ2KErrorArgument);
    }
    if (const int error = GetInfo(handle, &fullWidth, &fullHeight, nullptr); error != kJ2KOk) {
        return error;
    }
    const int64_t scale = int64_t(1) << level;
    if (width != nullptr) {
        *width = int((fullWidth + scale - 1) / scale);
    }
    if (height != nullptr) {
        *height = int((fullHeight + scale - 1) / scale);
    }
    return SetError(kJ2KOk);
}

int Decode(void* opaque, unsigned char** buffer, int* size, const char* options, int* pitch)
{
    auto* handle = static_cast<CodecHandle*>(opaque);
    int bytesPerPixel = 4;
    int level = 0;
    if (handle == nullptr || buffer == nullptr || *buffer == nullptr || size == nullptr || pitch == nullptr ||
        !ParseOptions(options, bytesPerPixel, level)) {
        return SetError(kJ2KErrorArgument);
    }
    int width = 0;
    int height = 0;
    if (const int error = GetResolutionDimensions(handle, level, &width, &height); error != kJ2KOk) {
        return error;
    }
    if (uint64_t(width) * uint64_t(height) > kMaxPixels) {
        return SetError(kJ2KErrorTooLarge);
    }
    if (*pitch < width * bytesPerPixel || *size < 0 || int64_t(*pitch) * height > int64_t(*size)) {
        return SetError(kJ2KErrorArgument);
    }

    Session session(*handle, level);
    if (!session.Ready() || !session.Decode()) {
        return SetError(kJ2KErrorDecode);
    }
    const opj_image_t& image = *session.Image();
    const uint32_t count = image.numcomps;
    if (count == 0) {
        return SetError(kJ2KErrorDecode);
    }
    for (uint32_t c = 0; c < count; ++c) {
        if (image.comps[c].data == nullptr || image.comps[c].w == 0 || image.comps[c].h == 0) {
            return SetError(kJ2KErrorDecode);
        }
    }
    // Grey, grey + alpha, colour, colour + alpha. Colour stored as sYCC becomes RGB here.
    const bool colour = count >= 3;
    const bool ycc = colour && image.color_space == OPJ_CLRSPC_SYCC;
    const int alphaIndex = count == 2 ? 1 : count >= 4 ? 3 : -1;
    for (int y = 0; y < height; ++y) {
        unsigned char* row = *buffer + size_t(y) * size_t(*pitch);
        for (int x = 0; x < width; ++x) {
            uint8_t r = Sample(image.comps[0], uint32_t(x), uint32_t(y));
            uint8_t g = colour ? Sample(image.comps[1], uint32_t(x), uint32_t(y)) : r;
            uint8_t b = colour ? Sample(image.comps[2], uint32_t(x), uint32_t(y)) : r;
            if (ycc) {
                YccToRgb(r, g, b, r, g, b);
            }
            unsigned char* pixel = row + size_t(x) * size_t(bytesPerPixel);
            pixel[0] = b;
            pixel[1] = g;
            pixel[2] = r;
            if (bytesPerPixel == 4) {
                pixel[3] = alphaIndex >= 0 ? Sample(image.comps[alphaIndex], uint32_t(x), uint32_t(y)) : 0xFF;
            }
        }
    }
    return SetError(kJ2KOk);
}

int GetLastError()
{
    return tLastError;
}

const char* GetErrorStr(int code)
{
    switch (code) {
    case kJ2KOk:
        return "no error";
    case kJ2KErrorArgument:
        return "invalid argument";
    case kJ2KErrorFormat:
        return "not a JPEG-2000 file";
    case kJ2KErrorDecode:
        return "the JPEG-2000 data cannot be decoded";
    case kJ2KErrorTooLarge:
        return "the JPEG-2000 picture is too large";
    case kJ2KErrorFile:
        return "the file cannot be read";
    default:
        return "unknown error";
    }
}

template <typename Fn>
void* Entry(Fn fn)
{
    return reinterpret_cast<void*>(fn);
}

struct Export {
    const char* decorated;
    const char* plain;
    void* entry;
};

} // namespace

void* J2KCodecSymbol(const char* name)
{
    if (name == nullptr) {
        return nullptr;
    }
    static const Export kExports[] = {
        {"_J2K_getVersion@0", "J2K_getVersion", Entry<J2KGetVersionFn>(GetVersion)},
        {"_J2K_OpenCustom@8", "J2K_OpenCustom", Entry<J2KOpenCustomFn>(OpenCustom)},
        {"_J2K_OpenFile@4", "J2K_OpenFile", Entry<J2KOpenFileFn>(OpenFile)},
        {"_J2K_Close@4", "J2K_Close", Entry<J2KCloseFn>(Close)},
        {"_J2K_GetInfo@16", "J2K_GetInfo", Entry<J2KGetInfoFn>(GetInfo)},
        {"_J2K_GetResolutionDimensions@16", "J2K_GetResolutionDimensions",
         Entry<J2KGetResolutionDimensionsFn>(GetResolutionDimensions)},
        {"_J2K_Decode@20", "J2K_Decode", Entry<J2KDecodeFn>(Decode)},
        {"_J2K_getLastError@0", "J2K_getLastError", Entry<J2KGetLastErrorFn>(GetLastError)},
        {"_J2K_getErrorStr@4", "J2K_getErrorStr", Entry<J2KGetErrorStrFn>(GetErrorStr)},
    };
    const std::string_view wanted(name);
    for (const Export& e : kExports) {
        if (wanted == e.decorated || wanted == e.plain) {
            return e.entry;
        }
    }
    return nullptr;
}

} // namespace Platform
