#include "platform/audio/OggDecoder.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstdio>

namespace Platform {

struct OggDecoder::Stream {
    OggVorbis_File file{};
};

namespace {

size_t SourceRead(void* buffer, size_t size, size_t count, void* source)
{
    if (size == 0 || count == 0) {
        return 0;
    }
    return static_cast<SoundSource*>(source)->read(buffer, size * count) / size;
}

int SourceSeek(void* source, ogg_int64_t offset, int whence)
{
    const SeekOrigin origin = whence == SEEK_SET   ? SeekOrigin::Begin
                              : whence == SEEK_CUR ? SeekOrigin::Current
                                                   : SeekOrigin::End;
    return static_cast<SoundSource*>(source)->seek(offset, origin) ? 0 : -1;
}

long SourceTell(void* source)
{
    return long(static_cast<SoundSource*>(source)->tell());
}

} // namespace

OggDecoder::OggDecoder(SoundSource source) : SoundDecoder(std::move(source)) {}

OggDecoder::~OggDecoder()
{
    if (mStream) {
        ov_clear(&mStream->file);
    }
}

std::unique_ptr<OggDecoder> OggDecoder::Open(SoundSource source)
{
    if (!source.IsComplete()) {
        return nullptr;
    }
    std::unique_ptr<OggDecoder> decoder(new OggDecoder(std::move(source)));
    // The source belongs to the decoder, so the library gets no close callback.
    const ov_callbacks callbacks{&SourceRead, &SourceSeek, nullptr, &SourceTell};
    auto stream = std::make_unique<Stream>();
    if (ov_open_callbacks(&decoder->mSource, &stream->file, nullptr, 0, callbacks) < 0) {
        return nullptr;
    }
    decoder->mStream = std::move(stream);
    const vorbis_info* info = ov_info(&decoder->mStream->file, -1);
    if (info && info->channels > 0 && info->channels <= 2 && info->rate > 0) {
        decoder->mFormat = MakePcmFormat(uint16_t(info->channels), uint32_t(info->rate), 16);
    }
    const ogg_int64_t frames = ov_pcm_total(&decoder->mStream->file, -1);
    decoder->mTotalBytes = frames > 0 ? uint64_t(frames) * decoder->mFormat.blockAlign : 0;
    if (!IsPlayableFormat(decoder->mFormat) || decoder->mTotalBytes == 0) {
        return nullptr;
    }
    return decoder;
}

size_t OggDecoder::Read(std::span<uint8_t> out)
{
    size_t written = 0;
    while (written < out.size() && mDelivered + written < mTotalBytes) {
        const uint64_t left = std::min<uint64_t>(out.size() - written, mTotalBytes - mDelivered - written);
        int section = 0;
        const long got = ov_read(&mStream->file, reinterpret_cast<char*>(out.data() + written),
                                 int(std::min<uint64_t>(left, 1u << 20)), &section);
        if (got <= 0) {
            // The stream ends before the length its last page gave, or the data are damaged.
            mDamaged = true;
            break;
        }
        written += size_t(got);
    }
    mDelivered += written;
    return written;
}

bool OggDecoder::Rewind()
{
    if (ov_pcm_seek(&mStream->file, 0) != 0) {
        mDelivered = mTotalBytes;
        return false;
    }
    mDelivered = 0;
    return true;
}

} // namespace Platform
