#include "shell/DSoundManager.h"

#include "shell/DSoundInstance.h"

namespace Pyxo {

DSoundManager::DSoundManager(Platform::WindowHandle, bool useFMod) : mUseFMod(useFMod)
{
    mBaseVolumes.fill(1.0);
}
DSoundManager::~DSoundManager() = default; // not built yet
bool DSoundManager::Initialized()
{
    return mDirectSound != nullptr;
}
int DSoundManager::LoadSoundByName(const std::string&)
{
    return -1; // not built yet
}
bool DSoundManager::LoadSound(unsigned int, const std::string&)
{
    return false; // not built yet
}
void DSoundManager::ReleaseSound(unsigned int) {} // not built yet
void DSoundManager::SetVolume(double volume)
{
    mMasterVolume = volume; // not built yet
}
bool DSoundManager::SetBaseVolume(unsigned int, double)
{
    return false; // not built yet
}
bool DSoundManager::SetBasePan(unsigned int, int)
{
    return false; // not built yet
}
SoundInstance* DSoundManager::GetSoundInstance(unsigned int)
{
    return nullptr; // not built yet
}
void DSoundManager::ReleaseSounds() {}   // not built yet
void DSoundManager::ReleaseChannels() {} // not built yet
double DSoundManager::GetMasterVolume()
{
    return 1.0; // not built yet
}
void DSoundManager::SetMasterVolume(double) {}                          // not built yet
void DSoundManager::SetCooperativeWindow(Platform::WindowHandle, bool) {} // not built yet
void DSoundManager::StopAllSounds() {}                                  // not built yet
int DSoundManager::GetFreeSoundId()
{
    return -1; // not built yet
}
int DSoundManager::GetNumSounds()
{
    return 0; // not built yet
}
bool DSoundManager::ReadWav(unsigned int, const std::string&)
{
    return false; // not built yet
}
bool DSoundManager::ReadMp3(unsigned int, const std::string&)
{
    return false; // not built yet
}
bool DSoundManager::ReadOgg(unsigned int, const std::string&)
{
    return false; // not built yet
}
bool DSoundManager::ReadAu(unsigned int, const std::string&)
{
    return false; // not built yet
}
bool DSoundManager::WriteCachedWav(unsigned int, const std::string&, const std::string&)
{
    return false; // not built yet
}
Platform::DirectSoundBuffer* DSoundManager::GetSourceBuffer(unsigned int) const
{
    return nullptr; // not built yet
}
const std::string& DSoundManager::GetSoundName(unsigned int id) const
{
    return mSourceFileNames[id % kMaxSounds]; // not built yet
}
uint32_t DSoundManager::GetSampleSize(unsigned int) const
{
    return 0; // not built yet
}
double DSoundManager::GetBaseVolume(unsigned int) const
{
    return 1.0; // not built yet
}
int DSoundManager::GetBasePan(unsigned int) const
{
    return 0; // not built yet
}
bool DSoundManager::CreateSoundBuffer(unsigned int, const Platform::WaveFormat&, uint32_t)
{
    return false; // not built yet
}
void DSoundManager::FreeSoundBuffer(unsigned int) {} // not built yet

} // namespace Pyxo
