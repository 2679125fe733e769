#include "shell/SoundCache.h"

namespace Pyxo {

bool IsCacheableSoundName(const std::string&)
{
    return false; // not built yet
}
std::string GetSoundCachePath(const std::string&)
{
    return {}; // not built yet
}
uint64_t GetSoundFileTime(const std::string&)
{
    return 0; // not built yet
}
bool BuildWavFile(const Platform::WaveFormat&, std::span<const uint8_t>, const std::string*, uint64_t, uint8_t,
                  std::vector<uint8_t>&)
{
    return false; // not built yet
}

} // namespace Pyxo
