// Faults of the content are logged as content warnings (warning level, area "content"), so that a check can ask
// for a run without any; the engine's other diagnostics stay at the debug level.
#include "engine/CursorTable.h"
#include "engine/EngineLog.h"
#include "engine/TMDialog.h"
#include "engine/TMEngine.h"
#include "engine/TMFont.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

class ContentWarningsTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        // Every entry with its level, beside the fixture's own collection.
        mInner = Platform::SetLogSink([this](Platform::LogLevel level, const char* area, const std::string& text) {
            const std::lock_guard lock(mLevelsLock);
            mEntries.push_back({level, area, text});
        });
    }
    void TearDown() override
    {
        Platform::SetLogSink(mInner);
        EngineFixture::TearDown();
    }

    struct Entry {
        Platform::LogLevel level;
        std::string area;
        std::string text;
    };
    std::vector<std::string> Warnings()
    {
        const std::lock_guard lock(mLevelsLock);
        std::vector<std::string> texts;
        for (const Entry& entry : mEntries) {
            if (entry.level == Platform::LogLevel::Warning && entry.area == kContentLogArea)
                texts.push_back(entry.text);
        }
        return texts;
    }

    std::mutex mLevelsLock;
    std::vector<Entry> mEntries;
    Platform::LogSink mInner;
};

ILVANE_THREADED_SUITE(ContentWarningsTest);

TEST_F(ContentWarningsTest, AreWarningsOfTheContentAreaBesideTheDebugLog)
{
    EngineContentWarning("texture \"%s\" is missing", "hud");
    EngineLog("not built yet: %s", "Something");
    EXPECT_EQ(Warnings(), std::vector<std::string>{"texture \"hud\" is missing"});
    const std::lock_guard lock(mLevelsLock);
    ASSERT_EQ(mEntries.size(), 2u);
    EXPECT_EQ(mEntries[1].level, Platform::LogLevel::Debug);
    EXPECT_EQ(mEntries[1].area, "engine");
}

TEST_F(ContentWarningsTest, NameEveryMissingPictureFontEffectAndCursor)
{
    WriteMinimalContent();
    WriteXml(mFolder / "cfg" / "ui.xml", R"(<root>
  <texture id="ground" file="images\ground.png"/>
  <texture id="gone" file="images\gone.png"/>
  <font name="sheet" type="Image" face="fonts\none.txt"/>
  <cursors mode="normal" image="gone"/>
  <element type="tmdialog" name="screen" width="100" height="100">
    <element type="tmtext" name="picture" effect="no_such_effect">
      <texture id="normal" texture="gone"/>
      <textattr id="normal" color="ff000000" font="sheet"/>
    </element>
    <element type="tmtext" name="fine">
      <texture id="normal" texture="ground"/>
    </element>
  </element>
</root>)");
    EngineApp& engine = MakeEngine();
    ASSERT_EQ(InitExitCode(engine), -1);
    engine.LoadContent();
    const std::unique_ptr<pugi::xml_document> interface = XmlOpenDocument("cfg\\ui.xml");
    ASSERT_TRUE(interface);
    TMDialog screen(nullptr, &engine);
    screen.LoadByName(XmlSelectNode(*interface, "root"), "screen");

    const std::vector<std::string> expected = {
        // This folder has neither an effect library nor an actor configuration.
        "cfg\\effect.xml: missing or cannot be opened; no effects",
        "cfg\\cfg.xml: missing or cannot be opened; its tables stay empty",
        "texture \"gone\": images\\gone.png cannot be read; the id stays unknown",
        "font \"sheet\": descriptor fonts\\none.txt did not load; left out",
        "cursor \"normal\": texture \"gone\" is not in cfg\\ui.xml; left out",
        "effect \"no_such_effect\" is not in cfg\\effect.xml; the widget shows and hides at once",
        "font \"sheet\" is not in cfg\\ui.xml; the text layer is left out",
        "texture \"gone\" is not in cfg\\ui.xml; the frame draws nothing",
    };
    const std::vector<std::string> warnings = Warnings();
    EXPECT_EQ(warnings, expected);
}

} // namespace
