#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

class TMButton;
class TMCheckBox;
class TMSlider;

/// The settings dialog: effects and music volume, mute and full screen. Volume and mute changes are heard at once
/// while it is open; "apply" stores all four in the player file, any other closing control brings back what the
/// dialog opened with. It keeps the volumes and the mute flag being heard, starting from the player file's. A
/// screen of the game, built from the interface description; created hidden on the resource-loading thread and
/// owned by the widget manager once added. Main thread afterwards.
class TMBoard_Options : public TMDialog {
public:
    static constexpr int kMaxVolume = 100;

    TMBoard_Options(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Options() override;

    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// The values to return to become the ones being heard.
    void Activate() override;
    /// To the front with the focus; the controls take the player file's settings; plays "window_open".
    void OnShow() override;
    void OnHide() override;
    /// While the dialog is visible, the controls' volumes and mute are heard at once.
    void Update() override;
    void OnControl(intptr_t controlId) override;

    [[nodiscard]] int GetLiveEffectsVolume() const { return mLiveEffects; }
    [[nodiscard]] int GetLiveMusicVolume() const { return mLiveMusic; }
    [[nodiscard]] bool IsLiveMuted() const { return mLiveMuted; }

    TMButton* mApplyButton = nullptr;
    TMButton* mCancelButton = nullptr;
    TMCheckBox* mMuteBox = nullptr;
    TMCheckBox* mFullScreenBox = nullptr;
    TMSlider* mEffectsSlider = nullptr;
    TMSlider* mMusicSlider = nullptr;

private:
    /// Makes what is heard follow the controls.
    void ApplyLive();
    /// The controls return to the values the dialog opened with, and are heard so.
    void RestoreSaved();
    /// The live values take the player file's settings, within 0..100.
    void ReadLiveFromFile();

    int mSavedEffects = kMaxVolume;
    int mSavedMusic = kMaxVolume;
    bool mSavedFullScreen = false;
    bool mSavedMute = false;
    int mLiveEffects = kMaxVolume;
    int mLiveMusic = kMaxVolume;
    bool mLiveMuted = false;
};
