// The engine's application object over a content folder written by the test: the working folder and the pack
// archives, start-up and its failures, the lock overlay, the content loading and the level hand-over.
#include "engine/TMBoard_Game.h"
#include "engine/TMDialog.h"
#include "engine/TMLocTable.h"
#include "graphics/PakFile.h"
#include "graphics/ResourceManager.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/EngineTestKit.h"
#include "tools/pak/PakWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace EngineTest;

using TMEngineTest = EngineFixture;

std::vector<uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

void WritePak(const fs::path& path, const std::vector<PakTool::PakEntry>& entries)
{
    std::vector<uint8_t> archive;
    std::string error;
    ASSERT_TRUE(PakTool::BuildPak(entries, archive, error)) << error;
    WriteBytes(path, archive);
}

std::string ReadThroughPak(const char* name)
{
    PakFileHandle* file = PakFOpen(name, "rb");
    if (!file)
        return "<missing>";
    std::string text;
    char buffer[64];
    size_t read = 0;
    while ((read = PakFRead(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, read);
    PakFClose(file);
    return text;
}

ILVANE_THREADED_SUITE(TMEngineTest);

TEST_F(TMEngineTest, ReadsFromItsFolderAndArchivesInMountOrder)
{
    WritePak(mFolder / "loc.pak", {{"cfg\\shared.txt", Bytes("loc"), 0}, {"cfg\\loc_only.txt", Bytes("L"), 0}});
    WritePak(mFolder / "data.pak", {{"cfg\\shared.txt", Bytes("data"), 0}, {"cfg\\data_only.txt", Bytes("D"), 0}});
    WritePak(mFolder / "mod.pak", {{"CFG\\Shared.txt", Bytes("mod"), 0}});
    WriteBytes(mFolder / "cfg" / "loose.txt", Bytes("beside the program"));
    fs::current_path(fs::temp_directory_path()); // started from elsewhere

    TMEngine& engine = MakeEngine();
    EXPECT_EQ(fs::current_path(), mFolder);
    EXPECT_EQ(TMEngine::GetEngine(), &engine);
    EXPECT_EQ(ReadThroughPak("cfg\\shared.txt"), "mod") << "the archive mounted last wins";
    EXPECT_EQ(ReadThroughPak("cfg\\loc_only.txt"), "L");
    EXPECT_EQ(ReadThroughPak("cfg\\data_only.txt"), "D");
    EXPECT_EQ(ReadThroughPak("cfg\\loose.txt"), "beside the program");
}

TEST_F(TMEngineTest, StartsOverItsContentAndSeedsFromTheCalendar)
{
    WriteMinimalContent();
    mClock.SetCalendarTime(1234567);
    TMEngine& engine = MakeEngine();
    EXPECT_EQ(engine.mProductName, "Nimbar1");
    EXPECT_EQ(engine.mRegKey, "Ostrel Games\\Nimbar1");
    EXPECT_EQ(InitExitCode(engine), -1);
    EXPECT_TRUE(engine.mResourceManager->IsGroupLoaded("Init"));
    EXPECT_NE(engine.mResourceManager->FindFont("FONT_ARIAL6"), nullptr);

    Pyxo::Random15 expected(1234567);
    const int first = Pyxo::Rand15();
    EXPECT_EQ(first, expected.Next()) << "Init seeds the generator with the calendar time";
}

TEST_F(TMEngineTest, StartUpFailuresEndTheProgramWithStatusOne)
{
    struct Case {
        const char* name;
        std::string_view manifest; // empty: no manifest at all
    };
    const Case cases[] = {
        {"no manifest", ""},
        {"no group Init", "<ResourceManifest><Resources id=\"Menu\"/></ResourceManifest>"},
        {"an Init resource that does not load",
         "<ResourceManifest><Resources id=\"Init\"><Image id=\"X\" path=\"images\\none.png\"/></Resources>"
         "</ResourceManifest>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(mFolder / "properties");
        if (!c.manifest.empty())
            WriteXml(mFolder / "properties" / "resources.xml", c.manifest);
        TMEngine& engine = MakeEngine();
        EXPECT_EQ(InitExitCode(engine), 1);
        mApp.reset();
    }
}

TEST_F(TMEngineTest, TheLockOverlayCoversTheScreenUntilUnlockedOnce)
{
    TMEngine& engine = MakeEngine();
    TMDialog* overlay = TMEngine::GetLockOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_FALSE(overlay->mVisible) << "made hidden";
    EXPECT_EQ(overlay->GetRect(), Pyxo::Rect(0, 0, 800, 600));

    auto* below = new Pyxo::Widget();
    below->Resize(0, 0, 800, 600);
    engine.mWidgetManager->AddWidget(below);
    int x = 0;
    int y = 0;
    EXPECT_EQ(engine.mWidgetManager->FindWidgetAt(400, 300, &x, &y), below);

    TMEngine::LockWidgets();
    TMEngine::LockWidgets();
    EXPECT_TRUE(overlay->mVisible);
    EXPECT_EQ(engine.mWidgetManager->mWidgets.back(), overlay) << "brought to the front";
    EXPECT_EQ(engine.mWidgetManager->FindWidgetAt(400, 300, &x, &y), overlay) << "the overlay takes the mouse";

    TMEngine::UnlockWidgets();
    EXPECT_FALSE(overlay->mVisible) << "no counting: one unlock ends two locks";
    EXPECT_EQ(engine.mWidgetManager->FindWidgetAt(400, 300, &x, &y), below);
}

TEST_F(TMEngineTest, ContentFilesThatCannotBeReadAreLoggedAndLeaveTheTablesEmpty)
{
    WriteXml(mFolder / "cfg" / "cfg.xml", "<root/>");
    WriteBytes(mFolder / "cfg" / "ui.xml", Bytes("<root> not a UTF-16 file"));
    TMEngine& engine = MakeEngine();
    engine.LoadContent();
    EXPECT_FALSE(LogHas("cfg\\cfg.xml")) << "a readable file is not reported";
    EXPECT_TRUE(LogHas("content: cfg\\ui.xml: not well-formed XML at line 1, column 13: No document element found"));
}

/// A board that records the level hand-over.
class HandOverBoard : public TMBoard_Game {
public:
    using TMBoard_Game::TMBoard_Game;

    void Wait() { mWaitingForLoad = true; }
    void FinishLevelLoad() override
    {
        ++mFinished;
        TMBoard_Game::FinishLevelLoad();
    }
    void StartLevel() override {}
    void OnLevelFinished() override {}
    void ResetLevel() override {}
    void ReadLevelConfig(pugi::xml_node, pugi::xml_node) override {}
    void ReleaseLevelActors() override {}
    void OnObjectClicked(TMPickItem*) override {}
    void UpdateLevel() override {}
    void LoadActorConfigs(pugi::xml_node) override {}
    void ClearActorConfigs() override {}
    void OnMoneyChanged() override {}
    void UpdateDayLabel() override {}
    bool TryDispatchEvent(TimePoint*) override { return false; }
    void OnPause() override {}
    void OnResume() override {}

    int mFinished = 0;
};

TEST_F(TMEngineTest, TheLoopStepFinishesALevelLoadOnceTheLoaderIsDone)
{
    WriteMinimalContent();
    TMEngine& engine = MakeEngine();
    engine.mUseLoadingThread = false;
    ASSERT_EQ(InitExitCode(engine), -1);
    HandOverBoard board(&engine);
    EXPECT_EQ(gCurrentBoard, &board);

    engine.mLoadingThreadCompleted = true;
    engine.RunLoopStep(nullptr);
    EXPECT_EQ(board.mFinished, 0) << "no load was started";

    board.Wait();
    engine.mLoadingThreadCompleted = false;
    engine.RunLoopStep(nullptr);
    EXPECT_EQ(board.mFinished, 0) << "the loader has not finished";

    engine.mLoadingThreadCompleted = true;
    engine.RunLoopStep(nullptr);
    engine.RunLoopStep(nullptr);
    EXPECT_EQ(board.mFinished, 1);
}

} // namespace
