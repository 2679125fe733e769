#include "game/TMBoard_Options.h"

#include "engine/TMButton.h"
#include "engine/TMCheckBox.h"
#include "engine/TMMusicPlayer.h"
#include "engine/TMSlider.h"
#include "engine/TMSoundManager.h"
#include "game/ScreenControls.h"
#include "game/TMBoard_Game3.h"
#include "game/TMEngine3.h"
#include "shell/WidgetManager.h"

#include <algorithm>

namespace {

void HearEffects(int volume)
{
    if (TMEngine* engine = TMEngine::GetEngine(); engine && engine->GetSoundRegistry())
        engine->GetSoundRegistry()->SoundSetEffectsVolume(volume);
}

void HearMusic(int volume)
{
    if (TMEngine* engine = TMEngine::GetEngine(); engine && engine->GetMusicPlayer())
        engine->GetMusicPlayer()->SoundSetMusicVolume(volume);
}

int ClampVolume(int volume)
{
    return std::clamp(volume, 0, TMBoard_Options::kMaxVolume);
}

} // namespace

TMBoard_Options::TMBoard_Options(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "options");
    ScreenControls::LogMissing("options", {{"apply", mApplyButton},
                                           {"cancel", mCancelButton},
                                           {"mute_checkbox", mMuteBox},
                                           {"fullscreen_checkbox", mFullScreenBox},
                                           {"sndvol_slider", mEffectsSlider},
                                           {"musvol_slider", mMusicSlider}});
    if (mEffectsSlider)
        mEffectsSlider->SetMax(kMaxVolume);
    if (mMusicSlider)
        mMusicSlider->SetMax(kMaxVolume);
    ReadLiveFromFile();
}

TMBoard_Options::~TMBoard_Options() = default;

void TMBoard_Options::AddChild(const std::string& name, TMCandyWidget* child)
{
    TMDialog::AddChild(name, child);
    if (name == "apply")
        mApplyButton = dynamic_cast<TMButton*>(child);
    else if (name == "cancel")
        mCancelButton = dynamic_cast<TMButton*>(child);
    else if (name == "mute_checkbox")
        mMuteBox = dynamic_cast<TMCheckBox*>(child);
    else if (name == "fullscreen_checkbox")
        mFullScreenBox = dynamic_cast<TMCheckBox*>(child);
    else if (name == "sndvol_slider")
        mEffectsSlider = dynamic_cast<TMSlider*>(child);
    else if (name == "musvol_slider")
        mMusicSlider = dynamic_cast<TMSlider*>(child);
}

void TMBoard_Options::ReadLiveFromFile()
{
    auto* game = dynamic_cast<TMEngine3*>(mApp);
    if (!game)
        return;
    const PrefHeader& header = game->GetPref().GetHeader();
    mLiveEffects = ClampVolume(header.effectsVolume);
    mLiveMusic = ClampVolume(header.musicVolume);
    mLiveMuted = header.muted != 0;
}

void TMBoard_Options::Activate()
{
    TMDialog::Activate();
    mSavedEffects = mLiveEffects;
    mSavedMusic = mLiveMusic;
    mSavedMute = mLiveMuted;
    mSavedFullScreen = mApp && !mApp->mWindowedRequested;
}

void TMBoard_Options::OnShow()
{
    ScreenControls::BringForward(this);
    if (mApp && mApp->mWidgetManager)
        mApp->mWidgetManager->SetFocus(this);
    ReadLiveFromFile();
    if (mFullScreenBox)
        mFullScreenBox->SetChecked(mApp && !mApp->mWindowedRequested);
    if (mMuteBox)
        mMuteBox->SetChecked(mLiveMuted);
    if (mEffectsSlider)
        mEffectsSlider->SetValue(mLiveEffects);
    if (mMusicSlider)
        mMusicSlider->SetValue(mLiveMusic);
    mSavedFullScreen = mFullScreenBox ? mFullScreenBox->IsChecked() : mApp && !mApp->mWindowedRequested;
    mSavedMute = mLiveMuted;
    mSavedEffects = mLiveEffects;
    mSavedMusic = mLiveMusic;
    ScreenControls::PlaySound("window_open");
}

void TMBoard_Options::OnHide()
{
    if (gGameBoard && gGameBoard->mRunning && mApp && mApp->mWidgetManager)
        mApp->mWidgetManager->SetFocus(gGameBoard);
}

void TMBoard_Options::Update()
{
    TMDialog::Update();
    // Hidden widgets are updated too: a hidden dialog's controls must not decide what is heard.
    if (mVisible)
        ApplyLive();
}

void TMBoard_Options::ApplyLive()
{
    if (mMuteBox && mMuteBox->IsChecked() != mLiveMuted) {
        mLiveMuted = mMuteBox->IsChecked();
        HearEffects(mLiveMuted ? 0 : mLiveEffects);
        HearMusic(mLiveMuted ? 0 : mLiveMusic);
    }
    if (mEffectsSlider && ClampVolume(mEffectsSlider->GetValue()) != mLiveEffects) {
        mLiveEffects = ClampVolume(mEffectsSlider->GetValue());
        if (!mLiveMuted)
            HearEffects(mLiveEffects);
    }
    if (mMusicSlider && ClampVolume(mMusicSlider->GetValue()) != mLiveMusic) {
        mLiveMusic = ClampVolume(mMusicSlider->GetValue());
        if (!mLiveMuted)
            HearMusic(mLiveMusic);
    }
}

void TMBoard_Options::RestoreSaved()
{
    if (mEffectsSlider)
        mEffectsSlider->SetValue(mSavedEffects);
    if (mMusicSlider)
        mMusicSlider->SetValue(mSavedMusic);
    if (mMuteBox)
        mMuteBox->SetChecked(mSavedMute);
    if (mFullScreenBox)
        mFullScreenBox->SetChecked(mSavedFullScreen);
    ApplyLive();
}

void TMBoard_Options::OnControl(intptr_t controlId)
{
    const auto* control = reinterpret_cast<const TMCandyWidget*>(controlId);
    auto* game = dynamic_cast<TMEngine3*>(mApp);
    if (control && control == mApplyButton && game) {
        mSavedEffects = mEffectsSlider ? ClampVolume(mEffectsSlider->GetValue()) : mLiveEffects;
        mSavedMusic = mMusicSlider ? ClampVolume(mMusicSlider->GetValue()) : mLiveMusic;
        mSavedMute = mMuteBox ? mMuteBox->IsChecked() : mLiveMuted;
        mSavedFullScreen = mFullScreenBox ? mFullScreenBox->IsChecked() : mSavedFullScreen;
        PrefHeader& header = game->GetPref().GetHeader();
        header.musicVolume = mSavedMusic;
        header.effectsVolume = mSavedEffects;
        header.windowed = mSavedFullScreen ? 0 : 1;
        header.muted = mSavedMute ? 1 : 0;
        mLiveEffects = mSavedEffects;
        mLiveMusic = mSavedMusic;
        mLiveMuted = mSavedMute;
        // Before the shell has its display the requested mode is what the file stores and the start-up uses.
        if (!game->mDisplay)
            game->mWindowedRequested = !mSavedFullScreen;
        game->GetPref().ApplySettings();
        // A file that cannot be written is logged by Save; the settings stay applied for this run.
        game->GetPref().Save();
        Hide();
        return;
    }
    // Cancel, and any other control that closes the dialog: what is heard goes back to what it opened with.
    RestoreSaved();
    Hide();
}
