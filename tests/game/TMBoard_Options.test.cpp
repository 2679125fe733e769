// The settings dialog with clicks on its sliders, boxes and buttons on the real loop step: what is heard while it
// is open, what cancel and other closing controls bring back, what apply stores in pref.dat, and a player file
// whose settings are out of range.
#include "game/TMBoard_Options.h"

#include "engine/TMCheckBox.h"
#include "engine/TMMusicPlayer.h"
#include "engine/TMSlider.h"
#include "engine/TMSoundManager.h"
#include "tests/SuiteLabels.h"
#include "tests/game/ScreenTestKit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

using namespace GameTest;

class TMBoard_OptionsTest : public ScreenFixture {
protected:
    /// The player file's settings before the game starts.
    void StoreSettings(int effects, int music, bool muted)
    {
        PrefHeader& header = mGame->GetPref().GetHeader();
        header.effectsVolume = effects;
        header.musicVolume = music;
        header.muted = muted ? 1 : 0;
        ASSERT_TRUE(mGame->GetPref().Save());
    }

    void Open()
    {
        mOptions = mGame->mOptionsBoard;
        mOptions->Show();
        Step();
        ASSERT_TRUE(mOptions->mVisible);
    }

    /// A press on the slider's track at the value (the track is 200 wide from the dialog's x 10).
    void SetSlider(TMSlider* slider, int value)
    {
        const Pyxo::Rect bounds = slider->GetScreenBounds();
        Click({bounds.mX + value * 2, bounds.mY + 10});
        Step();
    }

    [[nodiscard]] int HeardEffects() const { return TMSoundManager::GetEffectsVolume(); }
    [[nodiscard]] int HeardMusic() const { return mGame->GetMusicPlayer()->SoundGetMusicVolume(); }

    [[nodiscard]] std::vector<uint8_t> PrefBytes() const
    {
        std::ifstream file(PrefPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    TMBoard_Options* mOptions = nullptr;
};

ILVANE_THREADED_SUITE(TMBoard_OptionsTest);

TEST_F(TMBoard_OptionsTest, VolumesAreHeardLiveAndMutedSlidersStaySilent)
{
    StoreSettings(60, 40, false);
    LoadScreens();
    Open();
    EXPECT_EQ(mOptions->mEffectsSlider->GetMax(), 100);
    EXPECT_EQ(mOptions->mEffectsSlider->GetValue(), 60);
    EXPECT_EQ(mOptions->mMusicSlider->GetValue(), 40);
    EXPECT_FALSE(mOptions->mMuteBox->IsChecked());

    SetSlider(mOptions->mEffectsSlider, 30);
    EXPECT_EQ(HeardEffects(), 30);
    ClickWidget(mOptions->mMuteBox);
    EXPECT_TRUE(mOptions->mMuteBox->IsChecked());
    EXPECT_EQ(HeardEffects(), 0);
    EXPECT_EQ(HeardMusic(), 0);
    SetSlider(mOptions->mMusicSlider, 80);
    EXPECT_EQ(HeardMusic(), 0) << "muted: the slider's value waits";
    ClickWidget(mOptions->mMuteBox);
    EXPECT_EQ(HeardEffects(), 30);
    EXPECT_EQ(HeardMusic(), 80);
}

TEST_F(TMBoard_OptionsTest, CancelAndOtherClosingControlsBringBackWhatTheDialogOpenedWith)
{
    StoreSettings(60, 40, false);
    LoadScreens();
    for (const char* closing : {"cancel", "close_x"}) {
        SCOPED_TRACE(closing);
        Open();
        SetSlider(mOptions->mEffectsSlider, 20);
        SetSlider(mOptions->mMusicSlider, 90);
        ClickWidget(mOptions->mMuteBox);
        EXPECT_EQ(HeardMusic(), 0);
        ClickWidget(mOptions->FindChild(closing));
        EXPECT_FALSE(mOptions->mVisible);
        EXPECT_EQ(HeardEffects(), 60);
        EXPECT_EQ(HeardMusic(), 40);
        EXPECT_FALSE(mOptions->IsLiveMuted());
        EXPECT_EQ(mGame->GetPref().GetHeader().effectsVolume, 60) << "nothing stored";
    }
}

TEST_F(TMBoard_OptionsTest, ApplyStoresTheSettingsInThePlayerFile)
{
    StoreSettings(60, 40, false);
    mGame->mWindowedRequested = false;
    LoadScreens();
    Open();
    EXPECT_TRUE(mOptions->mFullScreenBox->IsChecked());
    SetSlider(mOptions->mEffectsSlider, 25);
    SetSlider(mOptions->mMusicSlider, 75);
    ClickWidget(mOptions->mMuteBox);
    ClickWidget(mOptions->mFullScreenBox);
    ClickWidget(mOptions->mApplyButton);

    EXPECT_FALSE(mOptions->mVisible);
    const std::vector<uint8_t> bytes = PrefBytes();
    ASSERT_GE(bytes.size(), 30u);
    const std::vector<uint8_t> settings(bytes.begin() + 20, bytes.begin() + 30);
    EXPECT_EQ(settings, (std::vector<uint8_t>{75, 0, 0, 0, 25, 0, 0, 0, 1, 1})) << "music, effects, windowed, muted";
    EXPECT_EQ(HeardEffects(), 0);
    EXPECT_EQ(HeardMusic(), 0);

    // Opened again, the dialog shows what was stored.
    Open();
    EXPECT_EQ(mOptions->mEffectsSlider->GetValue(), 25);
    EXPECT_TRUE(mOptions->mMuteBox->IsChecked());
    EXPECT_FALSE(mOptions->mFullScreenBox->IsChecked());
}

TEST_F(TMBoard_OptionsTest, AHiddenDialogLeavesTheVolumesAlone)
{
    StoreSettings(60, 40, false);
    LoadScreens();
    mGame->GetPref().ApplySettings();
    mGame->mOptionsBoard->mEffectsSlider->SetValue(5);
    mGame->mOptionsBoard->mMusicSlider->SetValue(7);
    Step();
    EXPECT_EQ(HeardEffects(), 60);
    EXPECT_EQ(HeardMusic(), 40);
}

TEST_F(TMBoard_OptionsTest, OutOfRangeSettingsOpenWithinRangeAndApplyStoresCleanValues)
{
    LoadScreens();
    std::vector<uint8_t> bytes = PrefBytes();
    ASSERT_GE(bytes.size(), 30u);
    const auto put = [&bytes](size_t at, int32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    };
    put(20, -3);  // music
    put(24, 250); // effects
    bytes[29] = 2;
    WriteBytes(PrefPath(), bytes);
    ASSERT_TRUE(mGame->GetPref().Load());

    Open();
    EXPECT_EQ(mOptions->mEffectsSlider->GetValue(), 100);
    EXPECT_EQ(mOptions->mMusicSlider->GetValue(), 0);
    EXPECT_TRUE(mOptions->mMuteBox->IsChecked());
    ClickWidget(mOptions->mMuteBox);
    EXPECT_EQ(HeardEffects(), 100) << "nothing louder than 100";
    EXPECT_EQ(HeardMusic(), 0);
    ClickWidget(mOptions->mApplyButton);
    const std::vector<uint8_t> stored = PrefBytes();
    EXPECT_EQ(std::vector<uint8_t>(stored.begin() + 20, stored.begin() + 28),
              (std::vector<uint8_t>{0, 0, 0, 0, 100, 0, 0, 0}));
    EXPECT_EQ(stored[29], 0);
}

TEST_F(TMBoard_OptionsTest, AnUnwritablePlayerFileLeavesTheSettingsAppliedForTheRun)
{
    StoreSettings(60, 40, false);
    LoadScreens();
    Open();
    SetSlider(mOptions->mEffectsSlider, 35);
    fs::remove(PrefPath());
    fs::create_directories(PrefPath()); // a folder where the file should be
    ClickWidget(mOptions->mApplyButton);
    EXPECT_FALSE(mOptions->mVisible);
    EXPECT_EQ(HeardEffects(), 35);
    EXPECT_EQ(mGame->GetPref().GetHeader().effectsVolume, 35);
    EXPECT_TRUE(fs::is_directory(PrefPath()));
}

} // namespace
