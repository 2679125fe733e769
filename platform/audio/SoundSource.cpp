#include "platform/audio/SoundSource.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace Platform {

bool SoundSource::ReadExactly(void* buffer, size_t bytes)
{
    return bytes == 0 || read(buffer, bytes) == bytes;
}

bool SoundSource::ReadLE16(uint16_t& value)
{
    uint8_t b[2];
    if (!ReadExactly(b, 2)) {
        return false;
    }
    value = uint16_t(b[0] | b[1] << 8);
    return true;
}

bool SoundSource::ReadLE32(uint32_t& value)
{
    uint8_t b[4];
    if (!ReadExactly(b, 4)) {
        return false;
    }
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool SoundSource::ReadBE32(uint32_t& value)
{
    uint8_t b[4];
    if (!ReadExactly(b, 4)) {
        return false;
    }
    value = uint32_t(b[3]) | uint32_t(b[2]) << 8 | uint32_t(b[1]) << 16 | uint32_t(b[0]) << 24;
    return true;
}

int64_t SoundSource::Size()
{
    const int64_t position = tell();
    if (position < 0 || !seek(0, SeekOrigin::End)) {
        return -1;
    }
    const int64_t size = tell();
    return seek(position, SeekOrigin::Begin) ? size : -1;
}

SoundSource ByteSoundSource(std::span<const uint8_t> bytes)
{
    // Copies of the source share one position, as copies of a file handle would.
    auto position = std::make_shared<size_t>(0);
    SoundSource source;
    source.read = [bytes, position](void* buffer, size_t count) {
        const size_t available = bytes.size() - std::min(*position, bytes.size());
        const size_t n = std::min(count, available);
        if (n > 0) {
            std::memcpy(buffer, bytes.data() + *position, n);
        }
        *position += n;
        return n;
    };
    source.seek = [bytes, position](int64_t offset, SeekOrigin origin) {
        const int64_t base = origin == SeekOrigin::Begin     ? 0
                             : origin == SeekOrigin::Current ? int64_t(*position)
                                                             : int64_t(bytes.size());
        // Past the end is allowed, as for a file; reads there find nothing.
        if (offset < -base || (offset > 0 && base > INT64_MAX - offset)) {
            return false;
        }
        *position = size_t(base + offset);
        return true;
    };
    source.tell = [position]() { return int64_t(*position); };
    return source;
}

} // namespace Platform
