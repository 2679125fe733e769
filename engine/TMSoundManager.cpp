#include "engine/TMSoundManager.h"

#include "engine/TMSound.h"
#include "engine/TMSoundChannel.h"
#include "engine/TMSoundDevice.h"
#include "engine/XmlConfig.h"

#include <atomic>

namespace {

// Channels of every actor read it when they start; process-wide like the library itself.
std::atomic<int> gEffectsVolume = 100;

} // namespace

TMSoundManager::TMSoundManager() = default;

TMSoundManager::~TMSoundManager()
{
    Clear();
}

void TMSoundManager::Load(pugi::xml_node root)
{
    XmlForEach(root, "sounds/sound", [this](pugi::xml_node node) {
        std::string name;
        std::string group;
        std::string path;
        bool loop = false;
        XmlGetAttrString(node, "name", name);
        XmlGetAttrString(node, "group", group);
        XmlGetAttrString(node, "path", path);
        XmlGetAttrBool(node, "loop", loop);
        std::unique_ptr<TMSound> replaced;
        TMSound* sound = nullptr;
        {
            const std::lock_guard lock(mMutex);
            auto [at, added] = mGroups.try_emplace(group, 0);
            if (added)
                at->second = ++mGroupCounter;
            auto& slot = mSounds[name];
            replaced = std::move(slot); // stopped and freed below, outside the lock
            slot = std::make_unique<TMSound>(path, at->second, loop);
            sound = slot.get();
        }
        sound->LoadSample();
        return true;
    });
}

TMSound* TMSoundManager::Find(const std::string& name)
{
    const std::lock_guard lock(mMutex);
    const auto found = mSounds.find(name);
    return found == mSounds.end() ? nullptr : found->second.get();
}

int TMSoundManager::GetGroupId(const std::string& group)
{
    const std::lock_guard lock(mMutex);
    const auto found = mGroups.find(group);
    return found == mGroups.end() ? 0 : found->second;
}

int TMSoundManager::GetEffectsVolume()
{
    return gEffectsVolume.load();
}

void TMSoundManager::Play(const std::string& name)
{
    if (name.empty())
        return;
    if (TMSound* sound = Find(name))
        sound->Play();
}

TMSoundChannel* TMSoundManager::CreateChannel(const std::string& name)
{
    if (!AvailableSoundLibrary())
        return nullptr;
    TMSound* sound = Find(name);
    return sound ? new TMSoundChannel(sound) : nullptr;
}

void TMSoundManager::PauseGroup(const std::string& group)
{
    const int id = GetGroupId(group);
    const std::lock_guard lock(mMutex);
    for (auto& [name, sound] : mSounds) {
        if (id != 0 && sound->GetGroup() == id)
            sound->Pause();
    }
}

void TMSoundManager::ResumeGroup(const std::string& group)
{
    const int id = GetGroupId(group);
    const std::lock_guard lock(mMutex);
    for (auto& [name, sound] : mSounds) {
        if (id != 0 && sound->GetGroup() == id)
            sound->Resume();
    }
}

void TMSoundManager::StopGroup(const std::string& group)
{
    const int id = GetGroupId(group);
    const std::lock_guard lock(mMutex);
    for (auto& [name, sound] : mSounds) {
        if (id != 0 && sound->GetGroup() == id)
            sound->Stop();
    }
}

void TMSoundManager::PauseAll()
{
    const std::lock_guard lock(mMutex);
    for (auto& [name, sound] : mSounds)
        sound->Pause();
}

void TMSoundManager::ResumeAll()
{
    const std::lock_guard lock(mMutex);
    for (auto& [name, sound] : mSounds)
        sound->Resume();
}

void TMSoundManager::SoundSetEffectsVolume(int volume)
{
    gEffectsVolume = volume;
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    if (!library)
        return;
    const std::lock_guard lock(mMutex);
    for (const auto& [name, id] : mGroups)
        library->ChannelGroupSetVolume(id, volume);
}

void TMSoundManager::Clear()
{
    std::map<std::string, std::unique_ptr<TMSound>> sounds;
    {
        const std::lock_guard lock(mMutex);
        sounds.swap(mSounds);
        mGroups.clear();
    }
    sounds.clear(); // each stops and unloads its sample
}
