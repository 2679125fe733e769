#pragma once

#include <pugixml.hpp>

#include <string>

/// The named music streams of cfg\cfg.xml, switched with a cross-fade. Owned by the engine; loaded on the
/// resource-loading thread, played on the main thread.
class TMMusicPlayer {
public:
    TMMusicPlayer() = default;
    ~TMMusicPlayer();
    TMMusicPlayer(const TMMusicPlayer&) = delete;
    TMMusicPlayer& operator=(const TMMusicPlayer&) = delete;

    /// One stream per "music/stream" element of root; false at the first entry it cannot take.
    bool Load(pugi::xml_node root);
    /// Fades the named stream in and the current one out; the current name or an unknown one changes nothing.
    void Play(const std::string& name);
    void PauseCurrent();
    void ResumeCurrent();
    /// 0 to 100.
    void SoundSetMusicVolume(int volume);
    [[nodiscard]] int SoundGetMusicVolume() const;
};
