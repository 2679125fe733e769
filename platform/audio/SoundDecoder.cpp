#include "platform/audio/SoundDecoder.h"

namespace Platform {

bool DecodeWhole(SoundDecoder& decoder, std::span<uint8_t> out)
{
    if (out.size() != decoder.TotalBytes()) {
        return false;
    }
    size_t filled = 0;
    while (filled < out.size()) {
        const size_t got = decoder.Read(out.subspan(filled));
        if (got == 0) {
            break;
        }
        filled += got;
    }
    return filled == out.size() && !decoder.Damaged();
}

bool SoundDecoder::RestartAt(int64_t offset)
{
    if (!mSource.seek(offset, SeekOrigin::Begin)) {
        mDelivered = mTotalBytes;
        return false;
    }
    mDelivered = 0;
    return true;
}

} // namespace Platform
