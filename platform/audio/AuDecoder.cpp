#include "platform/audio/AuDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Platform {

int16_t DecodeMuLaw(uint8_t byte)
{
    const int u = byte | 0x80;
    int magnitude;
    if (u >= 240) {
        magnitude = (255 - u) * 2;
    } else if (u >= 224) {
        magnitude = (247 - u) * 4;
    } else if (u >= 208) {
        magnitude = (235 - u) * 8;
    } else if (u >= 192) {
        magnitude = (221 - u) * 16;
    } else if (u >= 176) {
        magnitude = (206 - u) * 32;
    } else if (u >= 160) {
        magnitude = 12192 - 64 * u;
    } else if (u >= 144) {
        magnitude = 22368 - 128 * u;
    } else {
        // 128 is the loudest code: it continues the top segment instead of standing for almost nothing.
        magnitude = 40672 - 256 * u;
    }
    const int sample = magnitude * 4;
    return int16_t(byte > 127 ? sample : -sample);
}

std::unique_ptr<AuDecoder> AuDecoder::Open(SoundSource source)
{
    if (!source.IsComplete()) {
        return nullptr;
    }
    std::unique_ptr<AuDecoder> decoder(new AuDecoder(std::move(source)));
    return decoder->ReadHeader() ? std::move(decoder) : nullptr;
}

bool AuDecoder::ReadHeader()
{
    SoundSource& file = mSource;
    char magic[4];
    uint32_t dataSize = 0;
    uint32_t encoding = 0;
    uint32_t rate = 0;
    uint32_t channels = 0;
    if (!file.ReadExactly(magic, 4) || std::memcmp(magic, ".snd", 4) != 0 || !file.ReadBE32(mDataOffset) ||
        !file.ReadBE32(dataSize) || !file.ReadBE32(encoding) || !file.ReadBE32(rate) || !file.ReadBE32(channels)) {
        return false;
    }
    uint16_t bits = 0;
    if (encoding == 1) {
        bits = 16;
        mMuLaw = true;
    } else if (encoding == 2) {
        bits = 8;
    } else {
        return false;
    }
    const int64_t fileSize = file.Size();
    mFormat = MakePcmFormat(uint16_t(std::min<uint32_t>(channels, 3)), rate, bits);
    mTotalBytes = uint64_t(dataSize) * bits / 8;
    return IsPlayableFormat(mFormat) && fileSize >= 0 && mDataOffset <= uint64_t(fileSize) &&
           dataSize <= uint64_t(fileSize) - mDataOffset && mTotalBytes != 0 &&
           file.seek(mDataOffset, SeekOrigin::Begin);
}

size_t AuDecoder::Read(std::span<uint8_t> out)
{
    // µ-law widens each byte to two; only whole samples are handed out.
    const size_t sampleBytes = mMuLaw ? 2 : 1;
    const uint64_t left = mTotalBytes - mDelivered;
    size_t written = 0;
    std::array<uint8_t, 4096> raw;
    while (written + sampleBytes <= out.size() && written < left) {
        const size_t want =
            std::min<uint64_t>({raw.size(), (out.size() - written) / sampleBytes, (left - written) / sampleBytes});
        const size_t got = mSource.read(raw.data(), want);
        uint8_t* to = out.data() + written;
        if (mMuLaw) {
            for (size_t i = 0; i < got; ++i) {
                const int16_t sample = DecodeMuLaw(raw[i]);
                to[2 * i] = uint8_t(sample);
                to[2 * i + 1] = uint8_t(uint16_t(sample) >> 8);
            }
        } else {
            // The file's 8-bit samples are signed; the output's are unsigned.
            std::transform(raw.data(), raw.data() + got, to, [](uint8_t b) { return uint8_t(b ^ 0x80); });
        }
        written += got * sampleBytes;
        if (got < want) {
            mDamaged = true;
            break;
        }
    }
    mDelivered += written;
    return written;
}

bool AuDecoder::Rewind()
{
    return RestartAt(mDataOffset);
}

} // namespace Platform
