#include "platform/audio/WavDecoder.h"

#include <algorithm>
#include <cstring>

namespace Platform {

namespace {

bool FourCCIs(const char* fourCC, const char* expected)
{
    return std::memcmp(fourCC, expected, 4) == 0;
}

} // namespace

std::unique_ptr<WavDecoder> WavDecoder::Open(SoundSource source)
{
    if (!source.IsComplete()) {
        return nullptr;
    }
    std::unique_ptr<WavDecoder> decoder(new WavDecoder(std::move(source)));
    return decoder->ReadHeaders() ? std::move(decoder) : nullptr;
}

bool WavDecoder::ReadHeaders()
{
    SoundSource& file = mSource;
    char fourCC[4];
    uint32_t riffSize = 0;
    if (!file.ReadExactly(fourCC, 4) || !FourCCIs(fourCC, "RIFF") || !file.ReadLE32(riffSize) ||
        !file.ReadExactly(fourCC, 4) || !FourCCIs(fourCC, "WAVE")) {
        return false;
    }
    const int64_t fileSize = file.Size();
    uint16_t bits = 16;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    for (;;) {
        uint32_t chunkSize = 0;
        if (!file.ReadExactly(fourCC, 4) || !file.ReadLE32(chunkSize)) {
            return false;
        }
        const int64_t chunkStart = file.tell();
        if (FourCCIs(fourCC, "fmt ")) {
            uint16_t formatTag = 0;
            uint16_t blockAlign = 0;
            uint32_t bytesPerSecond = 0;
            if (chunkSize < 16 || !file.ReadLE16(formatTag) || !file.ReadLE16(channels) || !file.ReadLE32(rate) ||
                !file.ReadLE32(bytesPerSecond) || !file.ReadLE16(blockAlign) || !file.ReadLE16(bits) ||
                formatTag != WAVE_FORMAT_PCM) {
                return false;
            }
        } else if (FourCCIs(fourCC, "dep ")) {
            uint16_t nameLength = 0;
            if (!file.ReadLE16(nameLength)) {
                return false;
            }
            WavSourceNote note;
            note.name.assign(std::min<uint16_t>(nameLength, 255), '\0');
            uint32_t timeLow = 0;
            uint32_t timeHigh = 0;
            if (!file.ReadExactly(note.name.data(), note.name.size()) || !file.ReadLE32(timeLow) ||
                !file.ReadLE32(timeHigh)) {
                return false;
            }
            note.time = uint64_t(timeHigh) << 32 | timeLow;
            mSourceNote = std::move(note);
        } else if (FourCCIs(fourCC, "xor ")) {
            if (!file.ReadExactly(&mKey, 1)) {
                return false;
            }
        } else if (FourCCIs(fourCC, "data")) {
            mFormat = MakePcmFormat(channels, rate, bits);
            // A chunk that claims more than the file holds is truncated: refuse it before anyone makes a buffer.
            if (!IsPlayableFormat(mFormat) || chunkStart < 0 || fileSize < chunkStart ||
                chunkSize > uint64_t(fileSize - chunkStart)) {
                return false;
            }
            mDataStart = chunkStart;
            mTotalBytes = chunkSize;
            return true;
        }
        if (chunkStart < 0 || !file.seek(chunkStart + int64_t(chunkSize), SeekOrigin::Begin)) {
            return false;
        }
    }
}

size_t WavDecoder::Read(std::span<uint8_t> out)
{
    const size_t want = size_t(std::min<uint64_t>(out.size(), mTotalBytes - mDelivered));
    const size_t got = want == 0 ? 0 : mSource.read(out.data(), want);
    if (got < want) {
        mDamaged = true;
    }
    if (mKey != 0) {
        std::for_each(out.data(), out.data() + got, [key = mKey](uint8_t& byte) { byte ^= key; });
    }
    mDelivered += got;
    return got;
}

bool WavDecoder::Rewind()
{
    return RestartAt(mDataStart);
}

} // namespace Platform
