#pragma once

#include "platform/audio/SoundLibrary.h"

#include <pugixml.hpp>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

/// The named music streams of cfg\cfg.xml, switched with a cross-fade: the new stream fades in over 20 steps of
/// 50 ms while the old one fades out over 20 steps of 100 ms and is then unloaded. The fades run as workers on the
/// sound library's thread; each fade belongs to its channel, and the player's state is changed only under the
/// library's lock, so a quick switch back and forth never lets an old fade stop the new channel. Owned by the
/// engine; loaded on the resource-loading thread, played on the main thread.
class TMMusicPlayer {
public:
    static constexpr float kFadeStep = 0.05f;
    static constexpr uint32_t kFadeInPeriodMs = 50;
    static constexpr uint32_t kFadeOutPeriodMs = 100;

    TMMusicPlayer() = default;
    /// Removes the fades' workers, so that none runs on a deleted player.
    ~TMMusicPlayer();
    TMMusicPlayer(const TMMusicPlayer&) = delete;
    TMMusicPlayer& operator=(const TMMusicPlayer&) = delete;

    /// One stream per "music/stream" element of root, in order; a missing name or path, or a name given again,
    /// ends the load there (logged) and answers false.
    bool Load(pugi::xml_node root);
    /// Fades the named stream in and the current one out; the current name or an unknown one changes nothing.
    void Play(const std::string& name);
    void PauseCurrent();
    void ResumeCurrent();
    /// 0 to 100; the fades scale by it.
    void SoundSetMusicVolume(int volume);
    [[nodiscard]] int SoundGetMusicVolume() const { return mVolume.load(); }

    [[nodiscard]] std::string GetCurrentName();
    /// The stream's playing channel and loaded sample (none when it is not playing or not loaded).
    [[nodiscard]] Platform::SoundChannelId GetChannel(const std::string& name);
    [[nodiscard]] Platform::SoundSampleId GetSample(const std::string& name);

private:
    struct Stream {
        std::string path;
        Platform::SoundSampleId sample;
        Platform::SoundChannelId channel; // the channel it was last started on
    };
    /// The fade of one channel; the worker's argument.
    struct Fade {
        TMMusicPlayer* player = nullptr;
        Platform::SoundLibrary* library = nullptr;
        std::string stream;
        float level = 0.0f;
    };

    static void FadeInWorker(Platform::SoundChannelId channel, void* argument);
    static void FadeOutWorker(Platform::SoundChannelId channel, void* argument);
    void StartFadeOut(Platform::SoundLibrary& library, Stream& stream);

    std::mutex mMutex;                                           // taken inside the library's lock, never around it
    std::atomic<Platform::SoundLibrary*> mFadeLibrary = nullptr; // borrowed: the library the fades were set on
    std::string mCurrent;
    std::map<std::string, Stream> mStreams;
    std::map<uint32_t, std::unique_ptr<Fade>> mFades; // by channel
    std::atomic<int> mVolume = 100;
};
