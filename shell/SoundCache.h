#pragma once

#include "platform/audio/WaveFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Pyxo {

/// The cache of decoded sounds: WAV files under the application-data folder's "cached\" that name their source
/// file and its last-write time, so that a changed source is decoded again.

/// Relative names are cached: not those of at most 2 characters, beginning with '\' or '/', or with ':' second.
[[nodiscard]] bool IsCacheableSoundName(const std::string& name);
/// GetAppDataFolder() + "cached\" + name + ".wav"; "" for a name that is not cached.
[[nodiscard]] std::string GetSoundCachePath(const std::string& name);
/// The last-write time of a sound file as a Windows file time (100 ns units since 1601): the pack record's when
/// a mounted archive holds the name, else the disk file's; 0 when neither exists.
[[nodiscard]] uint64_t GetSoundFileTime(const std::string& path);

/// The bytes of a RIFF WAVE file holding `data` in `format`. With a source name it carries a "dep " chunk
/// (the name, cut to 255 bytes, and `sourceTime`) and an "xor " chunk with `key`, and the data are XORed with the
/// key; the RIFF size counts neither chunk. False when the data do not fit a WAV file.
[[nodiscard]] bool BuildWavFile(const Platform::WaveFormat& format, std::span<const uint8_t> data,
                                const std::string* sourceName, uint64_t sourceTime, uint8_t key,
                                std::vector<uint8_t>& out);

} // namespace Pyxo
