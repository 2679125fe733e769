// The resources of the group "Init" kept by number: names and ids both ways, taking them after the group loaded
// (and failing when one is missing from the manifest), and the non-throwing loads by id.
#include "engine/ResourceIds.h"

#include "graphics/MemoryImage.h"
#include "graphics/ResourceManager.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace EngineTest;

TEST(ResourceIds, NamesAndIdsBothWays)
{
    const struct {
        int id;
        const char* name;
    } table[] = {
        {0, "FONT_ARIAL10"}, {1, "FONT_DEFAULT"}, {2, "FONT_ARIAL8"}, {3, "FONT_ARIAL6"}, {4, "GFX_GAME_GROUND"},
    };
    for (const auto& entry : table) {
        EXPECT_EQ(GetIdName(entry.id), entry.name);
        EXPECT_EQ(GetIdByName(entry.name), entry.id);
    }
    for (const int id : {-1, 5, 100})
        EXPECT_EQ(GetIdName(id), "") << id;
    for (const char* name : {"X", "", "gfx_game_ground", "FONT_ARIAL10 "})
        EXPECT_EQ(GetIdByName(name), kResourceIdCount) << name;
}

class ResourceIdsTest : public EngineFixture {
protected:
    /// Starts an engine over the minimal content with the manifest given.
    TMEngine& Start(std::string_view manifest)
    {
        WriteMinimalContent();
        WriteXml(mFolder / "properties" / "resources.xml", manifest);
        TMEngine& engine = MakeEngine();
        EXPECT_EQ(InitExitCode(engine), -1);
        return engine;
    }
};

ILVANE_THREADED_SUITE(ResourceIdsTest);

TEST_F(ResourceIdsTest, StartUpTakesTheInitResources)
{
    TMEngine& engine = Start(kInitManifest);
    Pyxo::ResourceManager& manager = *engine.mResourceManager;
    EXPECT_TRUE(AreInitResourcesExtracted());
    EXPECT_TRUE(ExtractInitResources(manager));
    for (int id = 0; id < 4; ++id) {
        ASSERT_NE(GetFontById(id), nullptr) << id;
        EXPECT_EQ(GetFontById(id), manager.FindFont(GetIdName(id))) << id;
    }
    const Pyxo::ImagePoolRef ground = manager.LoadImage("GFX_GAME_GROUND");
    ASSERT_NE(GetImageById(4), nullptr);
    EXPECT_EQ(GetImageById(4), static_cast<Pyxo::MemoryImage*>(ground));
    EXPECT_EQ(GetImageById(0), nullptr) << "a font id has no image";
    EXPECT_EQ(GetFontById(4), nullptr) << "the image id has no font";

    EXPECT_TRUE(ExtractResourcesByName(manager, "Init"));
    EXPECT_FALSE(ExtractResourcesByName(manager, "init"));
    EXPECT_FALSE(ExtractResourcesByName(manager, "Menu"));
}

TEST_F(ResourceIdsTest, AResourceMissingFromTheGroupFailsTheTakingAfterThoseBeforeIt)
{
    // Without FONT_ARIAL8, taken third: FONT_ARIAL10 and FONT_ARIAL6 before it are taken.
    TMEngine& engine = Start(R"(<ResourceManifest>
  <Resources id="Init">
    <Font id="FONT_ARIAL10" path="!sys:Liberation Sans" size="10"/>
    <Font id="FONT_DEFAULT" path="!sys:DejaVu Sans" size="12"/>
    <Font id="FONT_ARIAL6" path="!sys:Liberation Sans" size="6"/>
    <Image id="GFX_GAME_GROUND" path="images\ground.png"/>
  </Resources>
</ResourceManifest>)");
    Pyxo::ResourceManager& manager = *engine.mResourceManager;
    EXPECT_FALSE(ExtractInitResources(manager));
    EXPECT_EQ(GetFontById(kFontArial10), manager.FindFont("FONT_ARIAL10"));
    EXPECT_EQ(GetFontById(kFontArial6), manager.FindFont("FONT_ARIAL6"));
}

TEST_F(ResourceIdsTest, LoadsByIdWithoutThrowing)
{
    TMEngine& engine = Start(kInitManifest);
    Pyxo::ResourceManager& manager = *engine.mResourceManager;
    EXPECT_EQ(LoadFontById(manager, kFontArial8), manager.FindFont("FONT_ARIAL8"));
    EXPECT_EQ(GetFontById(kFontArial8), manager.FindFont("FONT_ARIAL8"));
    EXPECT_NE(LoadImageById(manager, kGfxGameGround), nullptr);
    EXPECT_EQ(LoadImageById(manager, kFontArial8), nullptr);
    EXPECT_EQ(LoadFontById(manager, kGfxGameGround), nullptr);
    EXPECT_EQ(LoadFontById(manager, kResourceIdCount), nullptr);
    EXPECT_NE(GetImageById(kGfxGameGround), nullptr) << "kept";
}

} // namespace
