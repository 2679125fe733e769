#pragma once

#include <pugixml.hpp>

#include <string>

class TMSoundChannel;

/// The registry of the game's named sound effects and their groups, read from cfg\cfg.xml. Process-wide data; the
/// engine owns the object through which it is reached. Loaded on the resource-loading thread, used on the main
/// thread.
class TMSoundManager {
public:
    TMSoundManager() = default;
    ~TMSoundManager(); // Clear
    TMSoundManager(const TMSoundManager&) = delete;
    TMSoundManager& operator=(const TMSoundManager&) = delete;

    /// One sound per "sounds/sound" element of root.
    void Load(pugi::xml_node root);
    /// Plays the named sound once; an empty or unknown name plays nothing.
    void Play(const std::string& name);
    /// A new looping or repeated channel of the named sound, owned by the caller; null without a device or for an
    /// unknown name.
    [[nodiscard]] TMSoundChannel* CreateChannel(const std::string& name);
    void PauseGroup(const std::string& group);
    void ResumeGroup(const std::string& group);
    void StopGroup(const std::string& group);
    void PauseAll();
    void ResumeAll();
    /// 0 to 100.
    void SoundSetEffectsVolume(int volume);
    /// Stops, unloads and forgets every sound and group.
    void Clear();
};
