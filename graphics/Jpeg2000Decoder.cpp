#include "graphics/Jpeg2000Decoder.h"

#include "platform/j2kcodec/J2KCodec.h"
#include "platform/log/Log.h"
#include "platform/process/StandInLibrary.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>

namespace ImageLib {
namespace {

constexpr int kMinimumCodecVersion = 0x120000;
constexpr char kDecodeOptions[] = "bpp=4,rl=0";

struct CodecEntries {
    Platform::J2KGetVersionFn getVersion = nullptr;
    Platform::J2KOpenCustomFn openCustom = nullptr;
    Platform::J2KOpenFileFn openFile = nullptr;
    Platform::J2KCloseFn close = nullptr;
    Platform::J2KGetInfoFn getInfo = nullptr;
    Platform::J2KGetResolutionDimensionsFn getResolutionDimensions = nullptr;
    Platform::J2KDecodeFn decode = nullptr;
    Platform::J2KGetLastErrorFn getLastError = nullptr;
    Platform::J2KGetErrorStrFn getErrorStr = nullptr;

    bool Complete() const
    {
        return getVersion && openCustom && openFile && close && getInfo && getResolutionDimensions && decode &&
               getLastError && getErrorStr;
    }
};

// The loaded codec library. Images are read on the loading thread and the main thread alike, so the state is
// guarded.
struct CodecState {
    std::mutex mutex;
    Platform::HMODULE module = nullptr;
    bool firstUse = true;
    CodecEntries entries;
};

CodecState& Codec()
{
    static CodecState state;
    return state;
}

template <typename Fn>
void Resolve(Platform::HMODULE module, const char* name, Fn& out)
{
    out = reinterpret_cast<Fn>(Platform::GetProcAddress(module, name));
}

void FreeLocked(CodecState& state)
{
    if (state.module != nullptr) {
        Platform::FreeLibrary(state.module);
    }
    state.module = nullptr;
    state.entries = CodecEntries{};
    // A later load resolves the entry points again.
    state.firstUse = true;
}

// The entry points, resolved on first use; false when the codec is absent or unusable.
bool AcquireEntries(CodecEntries& out)
{
    CodecState& state = Codec();
    std::lock_guard lock(state.mutex);
    if (state.module == nullptr) {
        return false;
    }
    if (state.firstUse) {
        state.firstUse = false;
        CodecEntries& e = state.entries;
        Resolve(state.module, "_J2K_getVersion@0", e.getVersion);
        Resolve(state.module, "_J2K_OpenCustom@8", e.openCustom);
        Resolve(state.module, "_J2K_OpenFile@4", e.openFile);
        Resolve(state.module, "_J2K_Close@4", e.close);
        Resolve(state.module, "_J2K_GetInfo@16", e.getInfo);
        Resolve(state.module, "_J2K_GetResolutionDimensions@16", e.getResolutionDimensions);
        Resolve(state.module, "_J2K_Decode@20", e.decode);
        Resolve(state.module, "_J2K_getLastError@0", e.getLastError);
        Resolve(state.module, "_J2K_getErrorStr@4", e.getErrorStr);
        if (!e.Complete() || e.getVersion() < kMinimumCodecVersion) {
            Platform::Log(Platform::LogLevel::Warning, "image", "JPEG-2000 codec unusable; unloaded");
            FreeLocked(state);
            return false;
        }
    }
    out = state.entries;
    return true;
}

struct MemoryStream {
    std::span<const uint8_t> data;
    size_t pos = 0;
};

int J2KStreamSeek(void* user, int offset)
{
    auto* stream = static_cast<MemoryStream*>(user);
    if (offset < 0 || size_t(offset) > stream->data.size()) {
        return -1;
    }
    stream->pos = size_t(offset);
    return 0;
}

int J2KStreamRead(void* buffer, int count, void* user)
{
    auto* stream = static_cast<MemoryStream*>(user);
    if (count <= 0) {
        return 0;
    }
    const size_t n = std::min(size_t(count), stream->data.size() - stream->pos);
    std::memcpy(buffer, stream->data.data() + stream->pos, n);
    stream->pos += n;
    return int(n);
}

void J2KStreamClose(void*) {}

std::unique_ptr<Image> Fail(const CodecEntries& e, void* handle, const char* step)
{
    const int code = e.getLastError();
    Platform::Log(Platform::LogLevel::Warning, "image", "JPEG-2000: %s: %s", step, e.getErrorStr(code));
    if (handle != nullptr) {
        e.close(handle);
    }
    return nullptr;
}

} // namespace

void LoadJ2KCodec()
{
    CodecState& state = Codec();
    std::lock_guard lock(state.mutex);
    if (state.module == nullptr) {
        state.module = Platform::LoadLibraryA("j2k-codec.dll");
        state.firstUse = true;
    }
}

void FreeJ2KCodec()
{
    CodecState& state = Codec();
    std::lock_guard lock(state.mutex);
    FreeLocked(state);
}

std::unique_ptr<Image> DecodeJPEG2000(std::span<const uint8_t> data)
{
    CodecEntries e;
    if (!AcquireEntries(e)) {
        return nullptr;
    }
    MemoryStream stream{data, 0};
    const Platform::J2KStreamCallbacks callbacks{J2KStreamSeek, J2KStreamRead, J2KStreamClose};
    void* handle = e.openCustom(&stream, &callbacks);
    if (handle == nullptr) {
        return Fail(e, nullptr, "open");
    }
    int width = 0;
    int height = 0;
    int components = 0;
    if (e.getInfo(handle, &width, &height, &components) != 0 ||
        e.getResolutionDimensions(handle, 0, &width, &height) != 0) {
        return Fail(e, handle, "header");
    }
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxPixels) {
        Platform::Log(Platform::LogLevel::Warning, "image", "JPEG-2000: unusable size %dx%d", width, height);
        e.close(handle);
        return nullptr;
    }
    auto image = std::make_unique<Image>(width, height);
    auto* buffer = reinterpret_cast<unsigned char*>(image->mBits.get());
    int size = width * height * 4;
    int pitch = width * 4;
    if (e.decode(handle, &buffer, &size, kDecodeOptions, &pitch) != 0) {
        return Fail(e, handle, "decode");
    }
    e.close(handle);
    // The codec writes B, G, R, A bytes: the pixels as 0xAARRGGBB on a little-endian machine.
    if constexpr (std::endian::native == std::endian::big) {
        const size_t count = size_t(width) * size_t(height);
        for (size_t i = 0; i < count; ++i) {
            image->mBits[i] = __builtin_bswap32(image->mBits[i]);
        }
    }
    if (gIgnoreJPEG2000Alpha) {
        const size_t count = size_t(width) * size_t(height);
        for (size_t i = 0; i < count; ++i) {
            image->mBits[i] |= 0xFF000000u;
        }
    }
    return image;
}

} // namespace ImageLib
