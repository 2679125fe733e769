#include "shell/FModMusicInterface.h"

namespace Pyxo {

FModMusicInterface::FModMusicInterface(Platform::WindowHandle window) : mWindow(window) {}
FModMusicInterface::~FModMusicInterface() = default; // not built yet
bool FModMusicInterface::LoadMusic(int, const std::string&)
{
    return false; // not built yet
}
bool FModMusicInterface::LoadMusicSample(int, const std::string&, bool)
{
    return false; // not built yet
}
bool FModMusicInterface::LoadMusicIntroLoop(int, const std::string&, const std::string&, bool)
{
    return false; // not built yet
}
void FModMusicInterface::PlayMusic(int, int, bool) {}          // not built yet
void FModMusicInterface::StopMusic(int) {}                     // not built yet
void FModMusicInterface::PauseMusic(int) {}                    // not built yet
void FModMusicInterface::ResumeMusic(int) {}                   // not built yet
void FModMusicInterface::StopAllMusic() {}                     // not built yet
void FModMusicInterface::FadeIn(int, int, double, bool) {}     // not built yet
void FModMusicInterface::FadeOut(int, bool, double) {}         // not built yet
void FModMusicInterface::FadeOutAll(bool, double) {}           // not built yet
void FModMusicInterface::SetSongVolume(int, double) {}         // not built yet
bool FModMusicInterface::IsPlaying(int)
{
    return false; // not built yet
}
void FModMusicInterface::SetVolume(double volume)
{
    mMasterVolume = volume; // not built yet
}
void FModMusicInterface::Update() {} // not built yet
FSOUND_SAMPLE* FModMusicInterface::LoadMusicSampleFile(const std::string&)
{
    return nullptr; // not built yet
}
void FModMusicInterface::ApplyVolume(int, const MusicInfo&) {} // not built yet
void FModMusicInterface::StopSong(int, const MusicInfo&) {}    // not built yet

} // namespace Pyxo
