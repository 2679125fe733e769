#pragma once

#include "platform/window/WindowMessage.h"
#include "shell/MusicInterface.h"

#include <map>
#include <string>

namespace Pyxo {

struct FSOUND_SAMPLE;
struct FMUSIC_MODULE;

/// Music through the music library: songs by id, each a tracker module or a sample played on the channel whose
/// number is the song id, with a volume per song and fades stepped by Update. Holds a reference to the library
/// for its lifetime. Main thread only.
class FModMusicInterface : public MusicInterface {
public:
    struct MusicInfo {
        FSOUND_SAMPLE* mSample = nullptr; // library handle; null for a module
        FMUSIC_MODULE* mModule = nullptr; // library handle; null for a sample
        double mVolume = 0.0;
        double mVolumeAdd = 0.0; // added by every Update
        double mVolumeCap = 1.0;
        bool mStopOnFade = false;
        bool mRepeats = false;
    };

    /// `window` owns the music (the application's invisible window).
    explicit FModMusicInterface(Platform::WindowHandle window = {});
    ~FModMusicInterface() override;

    bool LoadMusic(int songId, const std::string& fileName) override;
    /// A sample song from `fileName` + ".ogg", cached as a WAV file.
    bool LoadMusicSample(int songId, const std::string& fileName, bool repeats);
    /// One sample song of an intro followed by a loop, which repeats from the loop's start.
    bool LoadMusicIntroLoop(int songId, const std::string& introName, const std::string& loopName, bool repeats);
    void PlayMusic(int songId, int offset, bool noLoop) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void FadeIn(int songId, int offset, double speed, bool noLoop) override;
    void FadeOut(int songId, bool stopSong, double speed) override;
    void FadeOutAll(bool stopSongs, double speed) override;
    void SetSongVolume(int songId, double volume) override;
    [[nodiscard]] bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void Update() override;

    [[nodiscard]] const std::map<int, MusicInfo>& GetMusicMap() const { return mMusicMap; }

private:
    /// A sample from the cache, else decoded from name + ".ogg" and then cached; null when neither loads.
    FSOUND_SAMPLE* LoadMusicSampleFile(const std::string& fileName);
    void ApplyVolume(int songId, const MusicInfo& info);
    void StopSong(int songId, const MusicInfo& info);

    Platform::WindowHandle mWindow;
    std::map<int, MusicInfo> mMusicMap;
    double mMasterVolume = 1.0;
    int mMaxMusicVolume = 100;
    int mMaxSampleVolume = 100;
};

} // namespace Pyxo
