#include "shell/FModMusicInterface.h"

#include "platform/files/FileSystem.h"
#include "shell/FModLoader.h"
#include "shell/PathHelpers.h"
#include "shell/SoundCache.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace Pyxo {

namespace {

FMOD_INSTANCE& FMod()
{
    return *GetFModLibrary(); // held from construction to destruction
}

// Truncated toward zero, as the library takes it; what no int can hold is silence.
int DeviceVolume(double volume)
{
    return volume > INT_MIN && volume < INT_MAX ? int(volume) : 0;
}

} // namespace

FModMusicInterface::FModMusicInterface(Platform::WindowHandle window) : mWindow(window)
{
    LoadFModLibrary();
}

FModMusicInterface::~FModMusicInterface()
{
    FreeFModLibrary();
}

bool FModMusicInterface::LoadMusic(int songId, const std::string& fileName)
{
    FMUSIC_MODULE* module = FMod().FMUSIC_LoadSong(fileName.c_str());
    if (!module) {
        return false;
    }
    MusicInfo info;
    info.mModule = module;
    mMusicMap[songId] = info;
    return true;
}

FSOUND_SAMPLE* FModMusicInterface::LoadMusicSampleFile(const std::string& fileName)
{
    FMOD_INSTANCE& fmod = FMod();
    const std::string cachePath = GetAppDataFolder() + "cached\\" + GetFileName(fileName) + ".wav";
    MkDir(GetFileDir(cachePath));
    if (FSOUND_SAMPLE* cached = fmod.FSOUND_Sample_Load(FSOUND_FREE, cachePath.c_str(), 0, 0)) {
        return cached;
    }
    FSOUND_SAMPLE* sample = fmod.FSOUND_Sample_Load(FSOUND_FREE, (fileName + ".ogg").c_str(), 0, 0);
    if (!sample) {
        return nullptr;
    }
    const unsigned mode = fmod.FSOUND_Sample_GetMode(sample);
    int frequency = 0;
    int volume = 0;
    int pan = 0;
    int priority = 0;
    fmod.FSOUND_Sample_GetDefaults(sample, &frequency, &volume, &pan, &priority);
    const uint64_t bytes = uint64_t(fmod.FSOUND_Sample_GetLength(sample)) * FModBlockAlign(mode);
    void* first = nullptr;
    void* second = nullptr;
    unsigned firstBytes = 0;
    unsigned secondBytes = 0;
    if (frequency > 0 && bytes <= INT_MAX &&
        fmod.FSOUND_Sample_Lock(sample, 0, int(bytes), &first, &second, &firstBytes, &secondBytes)) {
        const Platform::WaveFormat format =
            Platform::MakePcmFormat((mode & FSOUND_MONO) ? 1 : 2, uint32_t(frequency), (mode & FSOUND_8BITS) ? 8 : 16);
        // Never more than the first locked part holds.
        const size_t written = first ? std::min<size_t>(bytes, firstBytes) : 0;
        std::vector<uint8_t> file;
        if (BuildWavFile(format, {static_cast<const uint8_t*>(first), written}, nullptr, 0, 0, file)) {
            Platform::WriteFileAtomic(cachePath, file);
        }
        fmod.FSOUND_Sample_Unlock(sample, first, second, firstBytes, secondBytes);
    }
    return sample;
}

bool FModMusicInterface::LoadMusicSample(int songId, const std::string& fileName, bool repeats)
{
    FSOUND_SAMPLE* sample = LoadMusicSampleFile(fileName);
    if (!sample) {
        return false;
    }
    MusicInfo info;
    info.mSample = sample;
    info.mRepeats = repeats;
    mMusicMap[songId] = info;
    return true;
}

bool FModMusicInterface::LoadMusicIntroLoop(int songId, const std::string& introName, const std::string& loopName,
                                            bool repeats)
{
    FMOD_INSTANCE& fmod = FMod();
    FSOUND_SAMPLE* intro = LoadMusicSampleFile(introName);
    FSOUND_SAMPLE* loop = intro ? LoadMusicSampleFile(loopName) : nullptr;
    auto freeSources = [&] {
        if (intro) {
            fmod.FSOUND_Sample_Free(intro);
        }
        if (loop) {
            fmod.FSOUND_Sample_Free(loop);
        }
    };
    if (!intro || !loop) {
        freeSources();
        return false;
    }
    int introFrequency = 0;
    int loopFrequency = 0;
    int unused[3] = {};
    fmod.FSOUND_Sample_GetDefaults(intro, &introFrequency, &unused[0], &unused[1], &unused[2]);
    fmod.FSOUND_Sample_GetDefaults(loop, &loopFrequency, &unused[0], &unused[1], &unused[2]);
    const unsigned mode = fmod.FSOUND_Sample_GetMode(intro);
    if (introFrequency != loopFrequency || mode != fmod.FSOUND_Sample_GetMode(loop)) {
        freeSources();
        return false;
    }
    const uint64_t introLength = fmod.FSOUND_Sample_GetLength(intro);
    const uint64_t loopLength = fmod.FSOUND_Sample_GetLength(loop);
    const int blockAlign = FModBlockAlign(mode);
    const uint64_t totalBytes = (introLength + loopLength) * blockAlign;
    FSOUND_SAMPLE* joined = totalBytes <= INT_MAX
                                ? fmod.FSOUND_Sample_Alloc(FSOUND_FREE, int(introLength + loopLength),
                                                           mode | FSOUND_LOOP_NORMAL, introFrequency, 255, 128, 0)
                                : nullptr;
    if (!joined) {
        freeSources();
        return false;
    }

    void* target = nullptr;
    void* targetSecond = nullptr;
    unsigned targetBytes = 0;
    unsigned targetSecondBytes = 0;
    if (fmod.FSOUND_Sample_Lock(joined, 0, int(totalBytes), &target, &targetSecond, &targetBytes, &targetSecondBytes)) {
        // Each part is copied only as far as both locked parts reach.
        auto copyFrom = [&](FSOUND_SAMPLE* source, uint64_t length, uint64_t offset) {
            void* part = nullptr;
            void* partSecond = nullptr;
            unsigned partBytes = 0;
            unsigned partSecondBytes = 0;
            if (!fmod.FSOUND_Sample_Lock(source, 0, int(length * blockAlign), &part, &partSecond, &partBytes,
                                         &partSecondBytes)) {
                return;
            }
            if (part && target && offset < targetBytes) {
                std::memcpy(static_cast<uint8_t*>(target) + offset, part,
                            std::min<uint64_t>(partBytes, targetBytes - offset));
            }
            fmod.FSOUND_Sample_Unlock(source, part, partSecond, partBytes, partSecondBytes);
        };
        copyFrom(intro, introLength, 0);
        copyFrom(loop, loopLength, introLength * blockAlign);
        fmod.FSOUND_Sample_Unlock(joined, target, targetSecond, targetBytes, targetSecondBytes);
    }
    freeSources();
    fmod.FSOUND_Sample_SetLoopPoints(joined, int(introLength), int(loopLength));

    MusicInfo info;
    info.mSample = joined;
    info.mRepeats = repeats;
    mMusicMap[songId] = info;
    return true;
}

void FModMusicInterface::ApplyVolume(int songId, const MusicInfo& info)
{
    if (info.mModule) {
        FMod().FMUSIC_SetMasterVolume(info.mModule, DeviceVolume(mMasterVolume * info.mVolume * mMaxMusicVolume));
    } else {
        FMod().FSOUND_SetVolume(songId, DeviceVolume(mMasterVolume * info.mVolume * mMaxSampleVolume));
    }
}

void FModMusicInterface::StopSong(int songId, const MusicInfo& info)
{
    if (info.mModule) {
        FMod().FMUSIC_StopSong(info.mModule);
    } else {
        FMod().FSOUND_StopSound(songId);
    }
}

void FModMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end()) {
        return;
    }
    MusicInfo& info = it->second;
    info.mVolume = info.mVolumeCap;
    info.mVolumeAdd = 0.0;
    FMOD_INSTANCE& fmod = FMod();
    if (info.mModule) {
        ApplyVolume(songId, info);
        fmod.FMUSIC_SetLooping(info.mModule, noLoop ? 1 : 2);
        fmod.FMUSIC_PlaySong(info.mModule);
        fmod.FMUSIC_SetOrder(info.mModule, offset);
    } else {
        fmod.FSOUND_PlaySound(songId, info.mSample);
        fmod.FSOUND_SetLoopMode(songId, info.mRepeats ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
        ApplyVolume(songId, info);
    }
}

void FModMusicInterface::StopMusic(int songId)
{
    auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end()) {
        return;
    }
    it->second.mVolume = 0.0;
    StopSong(songId, it->second);
}

void FModMusicInterface::PauseMusic(int songId)
{
    auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end()) {
        return;
    }
    if (it->second.mModule) {
        FMod().FMUSIC_SetPaused(it->second.mModule, 1);
    } else {
        FMod().FSOUND_SetPaused(songId, 1);
    }
}

void FModMusicInterface::ResumeMusic(int songId)
{
    auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end()) {
        return;
    }
    if (it->second.mModule) {
        FMod().FMUSIC_SetPaused(it->second.mModule, 0);
    } else {
        FMod().FSOUND_SetPaused(songId, 0);
    }
}

void FModMusicInterface::StopAllMusic()
{
    for (auto& [songId, info] : mMusicMap) {
        info.mVolume = 0.0;
        StopSong(songId, info);
    }
}

void FModMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end()) {
        return;
    }
    MusicInfo& info = it->second;
    info.mVolumeAdd = speed;
    FMOD_INSTANCE& fmod = FMod();
    if (!info.mModule) {
        if (!fmod.FSOUND_IsPlaying(songId)) {
            fmod.FSOUND_PlaySound(songId, info.mSample);
            fmod.FSOUND_SetLoopMode(songId, info.mRepeats ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
        }
        ApplyVolume(songId, info);
    } else {
        ApplyVolume(songId, info);
        fmod.FMUSIC_SetLooping(info.mModule, noLoop ? 1 : 2);
        if (!fmod.FMUSIC_IsPlaying(info.mModule)) {
            fmod.FMUSIC_PlaySong(info.mModule);
        }
        if (offset != -1) {
            fmod.FMUSIC_SetOrder(info.mModule, offset);
        }
    }
}

void FModMusicInterface::FadeOut(int songId, bool stopSong, double speed)
{
    auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end()) {
        return;
    }
    it->second.mStopOnFade = stopSong;
    it->second.mVolumeAdd = -speed;
}

void FModMusicInterface::FadeOutAll(bool stopSongs, double speed)
{
    for (auto& entry : mMusicMap) {
        entry.second.mStopOnFade = stopSongs;
        entry.second.mVolumeAdd = -speed;
    }
}

void FModMusicInterface::SetSongVolume(int songId, double volume)
{
    auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end()) {
        return;
    }
    it->second.mVolume = volume;
    ApplyVolume(songId, it->second);
}

bool FModMusicInterface::IsPlaying(int songId)
{
    auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end()) {
        return false;
    }
    // A sample song asks its channel: it has no module to ask.
    if (!it->second.mModule) {
        return FMod().FSOUND_IsPlaying(songId) > 0;
    }
    return FMod().FMUSIC_IsPlaying(it->second.mModule) > 0;
}

void FModMusicInterface::SetVolume(double volume)
{
    mMasterVolume = volume;
    for (const auto& [songId, info] : mMusicMap) {
        ApplyVolume(songId, info);
    }
}

void FModMusicInterface::Update()
{
    for (auto& [songId, info] : mMusicMap) {
        if (info.mVolumeAdd == 0.0) {
            continue;
        }
        info.mVolume += info.mVolumeAdd;
        if (info.mVolume > info.mVolumeCap) {
            info.mVolume = info.mVolumeCap;
            info.mVolumeAdd = 0.0;
        } else if (info.mVolume < 0.0) {
            info.mVolume = 0.0;
            info.mVolumeAdd = 0.0;
            if (info.mStopOnFade) {
                StopSong(songId, info);
            }
        }
        ApplyVolume(songId, info);
    }
}

} // namespace Pyxo
