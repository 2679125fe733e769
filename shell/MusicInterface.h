#pragma once

#include <string>

namespace Pyxo {

/// Plays music by song id. This base is the music interface used when music is off: every operation does
/// nothing, and LoadMusic and IsPlaying return false. Volumes are factors 0..1; fade speeds are added to a
/// song's volume once per Update. Created and owned by the application. Main thread only.
class MusicInterface {
public:
    MusicInterface() = default;
    virtual ~MusicInterface() = default;
    MusicInterface(const MusicInterface&) = delete;
    MusicInterface& operator=(const MusicInterface&) = delete;

    virtual bool LoadMusic(int /*songId*/, const std::string& /*fileName*/) { return false; }
    virtual void PlayMusic(int /*songId*/, int /*offset*/, bool /*noLoop*/) {}
    virtual void StopMusic(int /*songId*/) {}
    virtual void PauseMusic(int /*songId*/) {}
    virtual void ResumeMusic(int /*songId*/) {}
    virtual void StopAllMusic() {}
    /// offset -1 keeps the current position.
    virtual void FadeIn(int /*songId*/, int /*offset*/, double /*speed*/, bool /*noLoop*/) {}
    virtual void FadeOut(int /*songId*/, bool /*stopSong*/, double /*speed*/) {}
    virtual void FadeOutAll(bool /*stopSongs*/, double /*speed*/) {}
    virtual void SetSongVolume(int /*songId*/, double /*volume*/) {}
    [[nodiscard]] virtual bool IsPlaying(int /*songId*/) { return false; }
    virtual void SetVolume(double /*volume*/) {}
    /// Steps the fades; once per application update.
    virtual void Update() {}
};

} // namespace Pyxo
