#pragma once

#include <pugixml.hpp>

#include <map>
#include <memory>
#include <mutex>
#include <string>

class TMSound;
class TMSoundChannel;

/// The registry of the game's named sound effects and their groups, read from cfg\cfg.xml. Groups are numbered 1,
/// 2, 3 ... in the order their names first appear. The engine owns the one registry. Loaded on the
/// resource-loading thread, used on the main thread; the maps are guarded.
class TMSoundManager {
public:
    /// What every effect is played with: the frequency at which a sample plays at its own rate, and the centre.
    static constexpr int kFrequency = 44100;
    static constexpr int kPanCentre = 50;

    TMSoundManager();
    ~TMSoundManager(); // Clear
    TMSoundManager(const TMSoundManager&) = delete;
    TMSoundManager& operator=(const TMSoundManager&) = delete;

    /// One sound per "sounds/sound" element of root; a name given again replaces the earlier sound.
    void Load(pugi::xml_node root);
    /// Plays the named sound once; an empty or unknown name plays nothing.
    void Play(const std::string& name);
    /// A new looping or repeated channel of the named sound, owned by the caller; null without a device or for an
    /// unknown name.
    [[nodiscard]] TMSoundChannel* CreateChannel(const std::string& name);
    /// Counted pause and resume of every sound of the group; an unknown group changes nothing.
    void PauseGroup(const std::string& group);
    void ResumeGroup(const std::string& group);
    void StopGroup(const std::string& group);
    void PauseAll();
    void ResumeAll();
    /// 0 to 100: every effect played from now on, and the groups' channels at once.
    void SoundSetEffectsVolume(int volume);
    /// Stops, unloads and forgets every sound and group.
    void Clear();

    /// The named sound, or null.
    [[nodiscard]] TMSound* Find(const std::string& name);
    /// The group's number, or 0 when no sound has that group.
    [[nodiscard]] int GetGroupId(const std::string& group);
    /// The effects volume, 0 to 100 (100 at start).
    [[nodiscard]] static int GetEffectsVolume();

private:
    std::mutex mMutex;
    std::map<std::string, std::unique_ptr<TMSound>> mSounds;
    std::map<std::string, int> mGroups;
    int mGroupCounter = 0; // the last group number given out
};
