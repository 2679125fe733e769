#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace Platform {

enum class SeekOrigin { Begin, Current, End };

/// Where a sound decoder reads its file from: read, seek and tell callbacks over a byte buffer, a pack file
/// handle or the engine's file functions. The callbacks own whatever they capture (a handle closes when the last
/// copy of the source goes). Decoders need all three: they check sizes against the file's length.
struct SoundSource {
    std::function<size_t(void* buffer, size_t bytes)> read;      // bytes read; fewer only at the end or on a failure
    std::function<bool(int64_t offset, SeekOrigin origin)> seek; // false when the position cannot be reached
    std::function<int64_t()> tell;                               // the position, or -1

    /// True when every callback is set.
    [[nodiscard]] bool IsComplete() const { return read && seek && tell; }

    /// Reads exactly that many bytes; false when fewer are there.
    [[nodiscard]] bool ReadExactly(void* buffer, size_t bytes);
    [[nodiscard]] bool ReadLE16(uint16_t& value);
    [[nodiscard]] bool ReadLE32(uint32_t& value);
    [[nodiscard]] bool ReadBE32(uint32_t& value);
    /// The length in bytes, the position kept; -1 when the source cannot tell it.
    [[nodiscard]] int64_t Size();
};

/// A source over bytes that must outlive it (and every copy of it).
[[nodiscard]] SoundSource ByteSoundSource(std::span<const uint8_t> bytes);

} // namespace Platform
