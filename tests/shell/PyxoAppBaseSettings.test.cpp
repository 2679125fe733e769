// Registry settings: the round trip through the registry stand-in, the conversions that stored files depend on,
// values of the wrong type, sub-keys in value names, the key redirect, and writes that fail.
#include "platform/registry/Registry.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowSystem.h"
#include "tests/SuiteLabels.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

using namespace PyxoTest;
using namespace Platform;

class AppSettings : public AppFixture {};

ILVANE_THREADED_SUITE(AppSettings);

TEST_F(AppSettings, RoundTripThroughTheRegistry)
{
    {
        TestApp& app = MakeApp();
        app.mMusicVolume = 0.857; // written truncated: 85
        app.mSfxVolume = 0.999;   // 99
        app.mWindowedRequested = false;
        app.mPreferredX = 120;
        app.mPreferredY = -1;
        app.mCustomCursors = true;
        app.mWaitForVSync = true;
        app.Mute(false);
        app.Mute(true); // a mute for focus loss is not saved
        app.WriteToRegistry();
    }
    EXPECT_EQ(ReadStored("MusicVolume"), 85);
    EXPECT_EQ(ReadStored("SfxVolume"), 99);
    EXPECT_EQ(ReadStored("Muted"), 1);
    EXPECT_EQ(ReadStored("ScreenMode"), 1);
    EXPECT_EQ(ReadStored("InProgress"), 0);

    TestApp& app = MakeApp();
    app.mWindowedRequested = true;
    app.ReadFromRegistry();
    EXPECT_TRUE(app.mSettingsRead);
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.85);
    EXPECT_DOUBLE_EQ(app.mSfxVolume, 0.99);
    EXPECT_EQ(app.mMuteCount, 1);
    EXPECT_FALSE(app.mWindowedRequested);
    EXPECT_EQ(app.mPreferredX, 120);
    EXPECT_EQ(app.mPreferredY, -1);
    EXPECT_TRUE(app.mCustomCursors);
    EXPECT_TRUE(app.mWaitForVSync);
    EXPECT_TRUE(app.mLastRunCompleted);
    EXPECT_EQ(ReadStored("InProgress"), 1); // until this run ends cleanly
}

TEST_F(AppSettings, ARunThatNeverEndedIsNoticed)
{
    TestApp& app = MakeApp();
    ASSERT_TRUE(app.RegistryWriteInteger("InProgress", 1));
    app.ReadFromRegistry();
    EXPECT_FALSE(app.mLastRunCompleted);
}

TEST_F(AppSettings, StoredValuesAreTakenAsTheyStand)
{
    TestApp& app = MakeApp();
    ASSERT_TRUE(app.RegistryWriteString("MusicVolume", "85")); // not a REG_DWORD: ignored
    ASSERT_TRUE(app.RegistryWriteInteger("SfxVolume", 150));   // not clamped
    ASSERT_TRUE(app.RegistryWriteInteger("ScreenMode", 2));    // anything but 0 is full screen
    app.mWindowedRequested = true;
    app.ReadFromRegistry();
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.85);
    EXPECT_DOUBLE_EQ(app.mSfxVolume, 1.5);
    EXPECT_FALSE(app.mWindowedRequested);
    app.WriteToRegistry();
    EXPECT_EQ(ReadStored("ScreenMode"), 1);
    EXPECT_EQ(ReadStored("MusicVolume"), 85);
}

TEST_F(AppSettings, ValueNamesWithBackslashesAddressSubKeys)
{
    TestApp& app = MakeApp();
    ASSERT_TRUE(app.RegistryWriteInteger("Test3D\\Deeper\\Value", 7));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Ilvane Tests\\Shell\\Test3D\\Deeper", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0;
    uint32_t value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(value, 7u);

    ASSERT_TRUE(app.RegistryWriteString("Test3D\\RuntimeError", "twelve chars"));
    char text[32] = {};
    uint32_t length = sizeof text;
    uint32_t textType = 0;
    ASSERT_TRUE(app.RegistryRead("Test3D\\RuntimeError", &textType, reinterpret_cast<uint8_t*>(text), &length));
    EXPECT_EQ(textType, REG_SZ);
    EXPECT_STREQ(text, "twelve chars");

    app.RegistryEraseValue(L"Test3D\\RuntimeError");
    EXPECT_FALSE(app.RegistryRead("Test3D\\RuntimeError", &textType, reinterpret_cast<uint8_t*>(text), &length));
}

TEST_F(AppSettings, AnEmptyKeySwitchesTheRegistryOff)
{
    TestApp& app = MakeApp();
    app.mRegKey.clear();
    EXPECT_FALSE(app.RegistryWriteInteger("MusicVolume", 10));
    app.WriteToRegistry();
    int value = 0;
    bool flag = false;
    EXPECT_FALSE(app.RegistryReadInteger("MusicVolume", &value));
    EXPECT_FALSE(app.RegistryReadBoolean("Muted", &flag));
    app.mRegKey = "Ilvane Tests\\Shell";
    EXPECT_FALSE(app.RegistryReadInteger("MusicVolume", &value)) << "nothing was written under the real key";
}

TEST_F(AppSettings, TheStringMapCanMoveEveryValueToAnotherKey)
{
    TestApp& app = MakeApp();
    app.SetString("RegistryKey", L"Ilvane Tests\\Moved");
    app.mMusicVolume = 0.5;
    app.ReadFromRegistry();
    app.WriteToRegistry();
    EXPECT_EQ(app.mRegKey, "Ilvane Tests\\Moved");
    app.mRegKey = "Ilvane Tests\\Shell";
    int value = 0;
    EXPECT_FALSE(app.RegistryReadInteger("MusicVolume", &value));
    app.mRegKey = "Ilvane Tests\\Moved";
    EXPECT_EQ(ReadStored("MusicVolume"), 50);
}

TEST_F(AppSettings, AnOrdinaryRunReadsTheFileOnceAndWritesOnlyWhatChanged)
{
    const std::filesystem::path folder =
        std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "AnOrdinaryRunReadsTheFileOnce";
    std::filesystem::remove_all(folder);
    // The first run finds no file; the second one finds the first one's settings.
    const struct {
        const char* name;
        int writes;
    } runs[] = {
        {"first run", 11}, // the key, the run marker, then each setting at the end: nothing was stored yet
        {"second run", 2}, // the run marker on and off; the settings are as stored
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        Platform::FileRegistryStorage files(folder); // one process's settings
        Platform::SetRegistryStorage(&files);
        TestApp& app = MakeApp();
        app.Init();
        Platform::PostMessage(app.mMainWindow, Platform::WM_SYSKEYDOWN, Platform::VK_F4, Platform::kKeyAltDown);
        app.Start();
        EXPECT_EQ(files.FileReads(), 1);
        EXPECT_EQ(files.FileWrites(), run.writes);
        mApp.reset();
        Platform::SetRegistryStorage(&mRegistry);
    }
}

TEST_F(AppSettings, AWriteThatCannotBeStoredSaysSo)
{
    TestApp& app = MakeApp();
    ASSERT_TRUE(app.RegistryWriteInteger("MusicVolume", 10));
    mRegistry.SetFailSaves(true);
    EXPECT_FALSE(app.RegistryWriteInteger("MusicVolume", 20));
    EXPECT_FALSE(app.RegistryWriteBoolean("Muted", true));
}

} // namespace
