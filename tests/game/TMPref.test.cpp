// The player file: its byte layout, a load that never writes over what it has not read, profiles that are neither
// lost nor brought back by a delete, the record tables, and a damaged or unwritable file.
#include "game/TMPref.h"

#include "engine/TMLocTable.h"
#include "engine/TMMusicPlayer.h"
#include "engine/TMSoundManager.h"
#include "game/TMEngine3.h"
#include "platform/files/FileSystem.h"
#include "tests/UnreadableFileScope.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

constexpr size_t kSurvival = 40;
constexpr size_t kCareer = 2640;
constexpr size_t kProfiles = 5240;
constexpr size_t kProfileSize = 912;

int32_t Int32At(const std::vector<uint8_t>& bytes, size_t at)
{
    return int32_t(uint32_t(bytes.at(at)) | uint32_t(bytes.at(at + 1)) << 8 | uint32_t(bytes.at(at + 2)) << 16 |
                   uint32_t(bytes.at(at + 3)) << 24);
}

std::wstring NameAt(const std::vector<uint8_t>& bytes, size_t at)
{
    std::wstring name;
    for (size_t i = 0; i < 128; ++i) {
        const auto unit = wchar_t(bytes.at(at + 2 * i) | bytes.at(at + 2 * i + 1) << 8);
        if (unit == 0)
            break;
        name.push_back(unit);
    }
    return name;
}

class TMPrefTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        mData = mFolder / "appdata";
        mPreviousData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        setenv("XDG_DATA_HOME", mData.c_str(), 1);
        std::string loc = "<root>";
        for (int k = 1; k <= 10; ++k) {
            char line[256];
            std::snprintf(
                line, sizeof line,
                R"(<loc id="record_survival_name_%02d" text="Surv%d"/><loc id="record_survival_value_%02d" text="%d"/>)"
                R"(<loc id="record_career_name_%02d" text="Car%d"/><loc id="record_career_value_%02d" text="%d"/>)",
                k, k, k, 1100 - 100 * k, k, k, k, 2200 - 200 * k);
            loc += line;
        }
        loc += "</root>";
        WriteXml(mFolder / "cfg" / "loc.xml", loc);
        mEngine = &MakeEngine<Headless<TMEngine3>>();
        mEngine->GetLocTable()->Load();
    }

    void TearDown() override
    {
        setenv("XDG_DATA_HOME", mPreviousData.c_str(), 1);
        EngineFixture::TearDown();
    }

    [[nodiscard]] fs::path PrefPath() const { return mData / "Ostrel Games" / "Ilvane" / "pref.dat"; }

    [[nodiscard]] std::vector<uint8_t> FileBytes() const
    {
        std::vector<uint8_t> bytes;
        Platform::ReadWholeFile(PrefPath().string(), bytes);
        return bytes;
    }

    /// A stored file with the named profiles, the given one current.
    void StoreProfiles(const std::vector<std::wstring>& names, int current)
    {
        TMPref pref(mEngine);
        pref.Load();
        for (size_t i = 0; i < names.size(); ++i) {
            ASSERT_TRUE(pref.CreateProfile(names[i]));
            pref.GetProfile()->furthestLevel = int32_t(10 + i);
            ASSERT_TRUE(pref.Save());
        }
        ASSERT_TRUE(pref.ReadProfile(current));
    }

    [[nodiscard]] std::vector<std::wstring> StoredNames() const
    {
        const std::vector<uint8_t> bytes = FileBytes();
        std::vector<std::wstring> names;
        for (size_t at = kProfiles; at + kProfileSize <= bytes.size(); at += kProfileSize)
            names.push_back(NameAt(bytes, at));
        return names;
    }

    fs::path mData;
    std::string mPreviousData;
    TMEngine3* mEngine = nullptr;
};

TEST_F(TMPrefTest, ANewFileHasTheFixedLayoutAndGrowsByOneRecordPerProfile)
{
    TMPref pref(mEngine);
    EXPECT_TRUE(pref.Load());
    std::vector<uint8_t> bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 5240u);
    const std::vector<uint8_t> signature(bytes.begin(), bytes.begin() + 16);
    EXPECT_EQ(signature, std::vector<uint8_t>(PrefHeader::kSignature.begin(), PrefHeader::kSignature.end()));
    EXPECT_EQ(Int32At(bytes, 16), 13);
    EXPECT_EQ(Int32At(bytes, 20), 60);
    EXPECT_EQ(Int32At(bytes, 24), 60);
    EXPECT_EQ(bytes[28], 1) << "the shell's windowed flag";
    EXPECT_EQ(bytes[29], 0);
    EXPECT_EQ(Int32At(bytes, 32), -1);
    EXPECT_EQ(Int32At(bytes, 36), 0);
    EXPECT_EQ(NameAt(bytes, kSurvival), L"Surv1");
    EXPECT_EQ(Int32At(bytes, kSurvival + 256), 1000);
    EXPECT_EQ(NameAt(bytes, kSurvival + 9 * 260), L"Surv10");
    EXPECT_EQ(Int32At(bytes, kSurvival + 9 * 260 + 256), 100);
    EXPECT_EQ(NameAt(bytes, kCareer), L"Car1");
    EXPECT_EQ(Int32At(bytes, kCareer + 256), 2000);
    EXPECT_FALSE(pref.IsProfileLoaded());

    ASSERT_TRUE(pref.CreateProfile(L"Zo\u00eb \u4e2d"));
    bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 6152u);
    EXPECT_EQ(Int32At(bytes, 32), 0);
    EXPECT_EQ(NameAt(bytes, kProfiles), L"Zo\u00eb \u4e2d") << "UTF-16LE, two bytes per unit";
    EXPECT_EQ(Int32At(bytes, kProfiles + 292), 1) << "furthest level";
    EXPECT_TRUE(pref.IsProfileLoaded());

    ASSERT_TRUE(pref.CreateProfile(L""));
    EXPECT_EQ(FileBytes().size(), 6152u + 912u);
    EXPECT_EQ(pref.GetHeader().currentProfile, 1);
    EXPECT_EQ(pref.GetProfile()->Name(), L"unknown");
}

TEST_F(TMPrefTest, LoadKeepsStoredTablesAndProfilesAndWritesBackTheSameBytes)
{
    StoreProfiles({L"Ann", L"Ben"}, 1);
    {
        TMPref pref(mEngine);
        pref.Load();
        pref.GetHiScoreTable(true)[0].SetName(L"Champion");
        pref.GetHiScoreTable(true)[0].score = 99999;
        pref.GetHiScoreTable(false)[9].score = 7;
        pref.GetProfile()->bestMoney[3] = 1234;
        pref.GetProfile()->achievements[5 * 3 + 2] = 1;
        ASSERT_TRUE(pref.Save());
    }
    const std::vector<uint8_t> stored = FileBytes();

    TMPref pref(mEngine);
    EXPECT_TRUE(pref.Load());
    EXPECT_EQ(pref.GetHiScoreTable(true)[0].Name(), L"Champion");
    EXPECT_EQ(pref.GetHiScoreTable(true)[0].score, 99999);
    EXPECT_EQ(pref.GetHiScoreTable(false)[9].score, 7);
    EXPECT_TRUE(pref.IsProfileLoaded());
    EXPECT_EQ(pref.GetProfile()->Name(), L"Ben");
    EXPECT_EQ(pref.GetProfile()->bestMoney[3], 1234);
    EXPECT_EQ(pref.GetProfile()->achievements[17], 1);
    EXPECT_EQ(FileBytes(), stored) << "loading rewrites exactly what it read";
}

TEST_F(TMPrefTest, DeletingProfilesLosesNoneAndBringsNoneBack)
{
    struct Case {
        const char* name;
        int current;
        int deleted;
        std::vector<std::wstring> left;
        int newCurrent;
        const wchar_t* currentName;
    };
    const Case cases[] = {
        {"the current one, others present", 1, 1, {L"A", L"C"}, 0, L"A"},
        {"the first, the current one", 0, 0, {L"B", L"C"}, 0, L"B"},
        {"one before the current", 2, 1, {L"A", L"C"}, 1, L"C"},
        {"one after the current", 0, 2, {L"A", L"B"}, 0, L"A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(mData);
        StoreProfiles({L"A", L"B", L"C"}, c.current);
        TMPref pref(mEngine);
        pref.Load();
        // Progress not yet saved stays with the profile when another one is deleted.
        pref.GetProfile()->bestMoney[1] = 555;
        ASSERT_TRUE(pref.DeleteProfile(c.deleted));
        EXPECT_EQ(StoredNames(), c.left);
        EXPECT_EQ(pref.GetHeader().currentProfile, c.newCurrent);
        EXPECT_EQ(Int32At(FileBytes(), 32), c.newCurrent);
        EXPECT_EQ(pref.GetProfile()->Name(), c.currentName);
        ASSERT_TRUE(pref.Save());
        EXPECT_EQ(StoredNames(), c.left) << "a later save writes nothing back over them";
        std::vector<ProfileRecord> all;
        pref.ReadAllProfiles(all);
        ASSERT_EQ(all.size(), 2u);
        if (c.current != c.deleted) {
            EXPECT_EQ(all[size_t(c.newCurrent)].bestMoney[1], 555);
        } else {
            EXPECT_EQ(all[0].bestMoney[1], 0) << "the deleted profile's progress is not written anywhere";
        }
    }
}

TEST_F(TMPrefTest, DeletingTheLastProfileLeavesNoneCurrent)
{
    StoreProfiles({L"Solo"}, 0);
    TMPref pref(mEngine);
    pref.Load();
    EXPECT_FALSE(pref.DeleteProfile(1));
    EXPECT_FALSE(pref.DeleteProfile(-1));
    ASSERT_TRUE(pref.DeleteProfile(0));
    EXPECT_EQ(pref.GetHeader().currentProfile, -1);
    EXPECT_FALSE(pref.IsProfileLoaded());
    ASSERT_TRUE(pref.Save());
    EXPECT_EQ(FileBytes().size(), 5240u);
    EXPECT_EQ(Int32At(FileBytes(), 32), -1);
    EXPECT_FALSE(pref.ReadProfile(0)) << "nothing left to read";
}

TEST_F(TMPrefTest, InsertHiScoreKeepsOneEntryPerName)
{
    struct Case {
        const char* name;
        const wchar_t* who;
        int score;
        int place;
        std::vector<int> scores; // the table afterwards, top to bottom
        const wchar_t* atPlace;
    };
    // Scores 1000, 900, ... 100 by Surv1 .. Surv10.
    const Case cases[] = {
        {"a new name moves the rest down", L"New", 650, 4, {1000, 900, 800, 700, 650, 600, 500, 400, 300, 200}, L"New"},
        {"an equal score goes above", L"New", 800, 2, {1000, 900, 800, 800, 700, 600, 500, 400, 300, 200}, L"New"},
        {"the name's lower entry makes room",
         L"Surv6",
         850,
         2,
         {1000, 900, 850, 800, 700, 600, 400, 300, 200, 100},
         L"Surv6"},
        {"the name's better entry stays",
         L"Surv2",
         450,
         10,
         {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100},
         nullptr},
        {"below the table", L"New", 50, 10, {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100}, nullptr},
        {"a score of 0", L"New", 0, 10, {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMPref pref(mEngine);
        pref.SetDefaults();
        EXPECT_EQ(pref.InsertHiScore(true, c.who, c.score), c.place);
        std::vector<int> scores;
        for (const HiScoreRecord& r : pref.GetHiScoreTable(true))
            scores.push_back(r.score);
        EXPECT_EQ(scores, c.scores);
        if (c.atPlace) {
            EXPECT_EQ(pref.GetHiScoreTable(true)[size_t(c.place)].Name(), c.atPlace);
        }
    }

    // 300 at place 5, 600 at place 3 and 400 at place 4: 500 takes place 4 and the old entry goes.
    TMPref pref(mEngine);
    auto& table = pref.GetHiScoreTable(false);
    const int scores[] = {900, 800, 700, 600, 400, 300, 200, 100, 50, 10};
    for (size_t i = 0; i < 10; ++i) {
        table[i].SetName(L"P" + std::to_wstring(i));
        table[i].score = scores[i];
    }
    EXPECT_EQ(pref.InsertHiScore(false, L"P5", 500), 4);
    EXPECT_EQ(table[4].Name(), L"P5");
    EXPECT_EQ(table[4].score, 500);
    EXPECT_EQ(table[5].Name(), L"P4");
    EXPECT_EQ(table[6].Name(), L"P6");
    EXPECT_EQ(table[9].Name(), L"P9");
}

TEST_F(TMPrefTest, AWrongVersionIsKeptAsBadBeforeTheDefaultsAreWritten)
{
    StoreProfiles({L"Keep"}, 0);
    std::vector<uint8_t> old = FileBytes();
    old[16] = 14; // a later version
    WriteBytes(PrefPath(), old);

    TMPref pref(mEngine);
    EXPECT_TRUE(pref.Load());
    std::vector<uint8_t> bad;
    ASSERT_TRUE(Platform::ReadWholeFile(PrefPath().string() + ".bad", bad));
    EXPECT_EQ(bad, old);
    EXPECT_EQ(FileBytes().size(), 5240u);
    EXPECT_EQ(pref.GetHiScoreTable(true)[0].Name(), L"Surv1");
    EXPECT_FALSE(pref.IsProfileLoaded());

    // A file cut inside its tables is damaged the same way.
    WriteBytes(PrefPath(), std::vector<uint8_t>(old.begin(), old.begin() + 3000));
    TMPref again(mEngine);
    EXPECT_TRUE(again.Load());
    EXPECT_EQ(FileBytes().size(), 5240u);
}

TEST_F(TMPrefTest, AFileThatCannotBeReadIsLeftAsItIsAndEverySaveFails)
{
    StoreProfiles({L"A", L"B", L"C"}, 1);
    TMPref pref(mEngine);
    ASSERT_TRUE(pref.Load());
    const std::vector<uint8_t> stored = FileBytes();
    {
        TestSupport::UnreadableFileScope unreadable(PrefPath());
        EXPECT_FALSE(pref.Save());
        EXPECT_FALSE(pref.CreateProfile(L"D")) << "it saves first";
        EXPECT_FALSE(pref.ReadProfile(0));
        EXPECT_FALSE(pref.DeleteProfile(0));
        std::vector<ProfileRecord> all;
        pref.ReadAllProfiles(all);
        EXPECT_TRUE(all.empty());

        TMPref next(mEngine); // a run that starts with the file unreadable
        EXPECT_TRUE(next.Load());
        EXPECT_FALSE(next.IsProfileLoaded());
        EXPECT_FALSE(next.Save());
    }
    EXPECT_EQ(FileBytes(), stored) << "byte for byte";
    EXPECT_TRUE(LogHas("cannot read"));
    EXPECT_TRUE(LogHas("pref.dat"));
    EXPECT_FALSE(fs::exists(PrefPath().string() + ".bad")) << "an unreadable file is not a damaged one";

    // Readable again: the profile made meanwhile is appended, and the three stored ones are all still there.
    ASSERT_TRUE(pref.Save());
    EXPECT_EQ(StoredNames(), (std::vector<std::wstring>{L"A", L"B", L"C", L"D"}));
}

TEST_F(TMPrefTest, AFileCutInsideItsProfilesIsKeptAsideAndItsWholeProfilesStay)
{
    StoreProfiles({L"A", L"B", L"C"}, 2);
    const std::vector<uint8_t> whole = FileBytes();
    const std::vector<uint8_t> cut(whole.begin(), whole.end() - 100); // C, the current one, is cut
    WriteBytes(PrefPath(), cut);
    {
        TMPref pref(mEngine);
        EXPECT_TRUE(pref.Load());
        EXPECT_FALSE(pref.IsProfileLoaded());
    }
    std::vector<uint8_t> aside;
    ASSERT_TRUE(Platform::ReadWholeFile(PrefPath().string() + ".bad", aside));
    EXPECT_EQ(aside, cut) << "the cut profile's name and progress survive in the copy";
    EXPECT_TRUE(LogHas("cut inside its profiles"));
    EXPECT_EQ(StoredNames(), (std::vector<std::wstring>{L"A", L"B"}));

    // A second damage gets its own copy; the first stays.
    std::vector<uint8_t> badHeader = FileBytes();
    badHeader[0] ^= 0xFF;
    WriteBytes(PrefPath(), badHeader);
    TMPref again(mEngine);
    EXPECT_TRUE(again.Load());
    std::vector<uint8_t> second;
    ASSERT_TRUE(Platform::ReadWholeFile(PrefPath().string() + ".bad.2", second));
    EXPECT_EQ(second, badHeader);
    ASSERT_TRUE(Platform::ReadWholeFile(PrefPath().string() + ".bad", aside));
    EXPECT_EQ(aside, cut);
}

TEST_F(TMPrefTest, LoadRemovesTheTemporaryFilesOfSavesCutShort)
{
    StoreProfiles({L"A"}, 0);
    const pid_t child = fork(); // a process that is gone
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const fs::path folder = PrefPath().parent_path();
    const fs::path abandoned = folder / (".pref.dat.tmp" + std::to_string(child) + "-4");
    WriteBytes(abandoned, {1, 2, 3});
    TMPref pref(mEngine);
    ASSERT_TRUE(pref.Load());
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_EQ(StoredNames(), (std::vector<std::wstring>{L"A"}));
}

TEST_F(TMPrefTest, ASaveBeyondTheFileSizeLimitFailsAndKeepsTheFile)
{
    StoreProfiles({L"A", L"B"}, 0);
    const std::vector<uint8_t> stored = FileBytes();
    TMPref pref(mEngine);
    ASSERT_TRUE(pref.Load());
    // Left at its default, the signal of the limit would end the test program here.
    signal(SIGXFSZ, SIG_DFL);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool created = pref.CreateProfile(L"Big");
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(created);
    EXPECT_EQ(FileBytes(), stored);
    EXPECT_TRUE(LogHas("cannot write"));
}

TEST_F(TMPrefTest, AnUnwritableFolderMakesSaveFail)
{
    // The vendor folder is a file: neither the folders nor pref.dat can be made.
    fs::remove_all(mData);
    WriteBytes(mData / "Ostrel Games", {1, 2, 3});
    TMPref pref(mEngine);
    EXPECT_TRUE(pref.Load()) << "the game goes on with the defaults";
    EXPECT_FALSE(pref.Save());
    EXPECT_FALSE(pref.CreateProfile(L"Nobody"));
    EXPECT_TRUE(LogHas("cannot write"));
}

TEST_F(TMPrefTest, SettingsAppliedBeforeTheShellStartsMakeNoWindow)
{
    {
        TMPref pref(mEngine);
        pref.Load();
        pref.GetHeader().windowed = 0;
        pref.GetHeader().musicVolume = 30;
        mEngine->mWindowedRequested = false;
        ASSERT_TRUE(pref.Save());
    }
    mEngine->mWindowedRequested = true;
    TMPref pref(mEngine);
    pref.Load();
    EXPECT_FALSE(mEngine->mMainWindow);
    EXPECT_EQ(mEngine->mDisplay, nullptr);
    EXPECT_TRUE(mEngine->mWindowedRequested) << "the shell's own setting stands";
    EXPECT_EQ(mEngine->GetMusicPlayer()->SoundGetMusicVolume(), 30);
    EXPECT_EQ(TMSoundManager::GetEffectsVolume(), 60);

    pref.GetHeader().muted = 1;
    pref.ApplySettings();
    EXPECT_EQ(mEngine->GetMusicPlayer()->SoundGetMusicVolume(), 0);
    EXPECT_EQ(TMSoundManager::GetEffectsVolume(), 0);
    mEngine->GetSoundRegistry()->SoundSetEffectsVolume(100);
}

} // namespace
