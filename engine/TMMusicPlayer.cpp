#include "engine/TMMusicPlayer.h"

#include "engine/EngineLog.h"
#include "engine/TMSoundDevice.h"
#include "engine/XmlConfig.h"

#include <algorithm>

namespace {

/// The library's lock when it is available: every change of the player's state happens under it, because the
/// fade workers run under it.
std::unique_lock<std::recursive_mutex> LibraryLock(Platform::SoundLibrary* library)
{
    return library ? library->Lock() : std::unique_lock<std::recursive_mutex>();
}

} // namespace

TMMusicPlayer::~TMMusicPlayer()
{
    // The fades' library, not the device's: the device may be gone while the library still runs the workers.
    // Its lock comes first, as everywhere else.
    Platform::SoundLibrary* library = mFadeLibrary.load();
    const auto libraryLock = LibraryLock(library);
    const std::lock_guard lock(mMutex);
    for (auto& [channel, fade] : mFades) {
        if (fade->library)
            fade->library->ChannelSetWorker(Platform::SoundChannelId{channel}, nullptr, nullptr, 0);
    }
}

bool TMMusicPlayer::Load(pugi::xml_node root)
{
    bool complete = true;
    const std::lock_guard lock(mMutex);
    XmlForEach(root, "music/stream", [this, &complete](pugi::xml_node node) {
        std::string name;
        std::string path;
        if (!XmlGetAttrString(node, "name", name) || !XmlGetAttrString(node, "path", path)) {
            EngineLog("music stream without a name or a path: the music list ends there");
            complete = false;
            return false;
        }
        if (!mStreams.try_emplace(name, Stream{path, {}, {}}).second) {
            EngineLog("music stream <%s> given twice: the music list ends there", name.c_str());
            complete = false;
            return false;
        }
        return true;
    });
    return complete;
}

void TMMusicPlayer::Play(const std::string& name)
{
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    const auto libraryLock = LibraryLock(library);
    const std::lock_guard lock(mMutex);
    if (name == mCurrent)
        return;
    const auto found = mStreams.find(name);
    if (found == mStreams.end())
        return;
    Stream& next = found->second;
    if (library) {
        mFadeLibrary = library;
        if (!next.sample)
            next.sample = library->SampleLoadFile(next.path.c_str(), nullptr, true);
        next.channel =
            library->SamplePlay(next.sample, true, Platform::SoundLibrary::kMusicGroup, true, 0, 0, 44100, 50);
        if (next.channel) {
            auto fade = std::make_unique<Fade>(Fade{this, library, name, 0.0f});
            library->ChannelSetWorker(next.channel, &FadeInWorker, fade.get(), kFadeInPeriodMs);
            mFades[next.channel.value] = std::move(fade);
        }
        const auto current = mStreams.find(mCurrent);
        if (current != mStreams.end())
            StartFadeOut(*library, current->second);
    }
    mCurrent = name;
}

void TMMusicPlayer::StartFadeOut(Platform::SoundLibrary& library, Stream& stream)
{
    if (!stream.channel)
        return;
    // A stream still fading in fades out from where it got to.
    auto& fade = mFades[stream.channel.value];
    if (!fade)
        fade = std::make_unique<Fade>(Fade{this, &library, {}, 1.0f});
    fade->stream = mCurrent;
    library.ChannelSetWorker(stream.channel, &FadeOutWorker, fade.get(), kFadeOutPeriodMs);
}

void TMMusicPlayer::FadeInWorker(Platform::SoundChannelId channel, void* argument)
{
    auto& fade = *static_cast<Fade*>(argument);
    const std::lock_guard lock(fade.player->mMutex);
    fade.level += kFadeStep;
    // Passing 1.0 counts as reaching it, so the fade ends after 20 steps whatever the rounding.
    const bool done = fade.level >= 1.0f - kFadeStep / 2;
    if (done)
        fade.level = 1.0f;
    const int volume = int(fade.level * float(fade.player->mVolume.load()));
    fade.library->ChannelSetVolume(channel, std::min(volume, 100));
    if (done)
        fade.library->ChannelSetWorker(channel, nullptr, nullptr, 0);
}

void TMMusicPlayer::FadeOutWorker(Platform::SoundChannelId channel, void* argument)
{
    auto& fade = *static_cast<Fade*>(argument);
    TMMusicPlayer& player = *fade.player;
    Platform::SoundLibrary& library = *fade.library;
    const std::lock_guard lock(player.mMutex);
    fade.level -= kFadeStep;
    const bool done = fade.level <= kFadeStep / 2;
    if (done)
        fade.level = 0.0f;
    const int volume = int(fade.level * float(player.mVolume.load()));
    library.ChannelSetVolume(channel, std::max(volume, 0));
    if (!done)
        return;
    library.ChannelSetWorker(channel, nullptr, nullptr, 0);
    library.ChannelStop(channel);
    // The sample goes only when the stream was not started again on a newer channel meanwhile.
    const auto stream = player.mStreams.find(fade.stream);
    if (stream != player.mStreams.end() && stream->second.channel == channel) {
        stream->second.channel = {};
        library.SampleUnload(stream->second.sample);
        stream->second.sample = {};
    }
    player.mFades.erase(channel.value); // the fade itself; not touched after this
}

void TMMusicPlayer::PauseCurrent()
{
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    const auto libraryLock = LibraryLock(library);
    const std::lock_guard lock(mMutex);
    const auto current = mStreams.find(mCurrent);
    if (library && current != mStreams.end())
        library->ChannelPause(current->second.channel, true);
}

void TMMusicPlayer::ResumeCurrent()
{
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    const auto libraryLock = LibraryLock(library);
    const std::lock_guard lock(mMutex);
    const auto current = mStreams.find(mCurrent);
    if (library && current != mStreams.end())
        library->ChannelPause(current->second.channel, false);
}

void TMMusicPlayer::SoundSetMusicVolume(int volume)
{
    mVolume = volume;
    if (Platform::SoundLibrary* library = AvailableSoundLibrary())
        library->ChannelGroupSetVolume(Platform::SoundLibrary::kMusicGroup, volume);
}

std::string TMMusicPlayer::GetCurrentName()
{
    const std::lock_guard lock(mMutex);
    return mCurrent;
}

Platform::SoundChannelId TMMusicPlayer::GetChannel(const std::string& name)
{
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    const auto libraryLock = LibraryLock(library);
    const std::lock_guard lock(mMutex);
    const auto found = mStreams.find(name);
    return found == mStreams.end() ? Platform::SoundChannelId{} : found->second.channel;
}

Platform::SoundSampleId TMMusicPlayer::GetSample(const std::string& name)
{
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    const auto libraryLock = LibraryLock(library);
    const std::lock_guard lock(mMutex);
    const auto found = mStreams.find(name);
    return found == mStreams.end() ? Platform::SoundSampleId{} : found->second.sample;
}
