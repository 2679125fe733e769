// The back-to-front order of the level's parts: base lines lower on the screen stand in front, movers go after the
// part whose base line lies nearest above their feet, z-parent chains, cycles, links and the over layer.
#include "engine/ZOrder.h"

#include "engine/TMItem.h"
#include "engine/TMItemPart.h"
#include "platform/log/Log.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

class MoverItem : public TMItem {
public:
    [[nodiscard]] bool IsMoveItem() const override { return true; }
};

/// One part element; its three order points, or none.
std::string Part(const std::string& name, std::vector<std::pair<int, int>> points = {}, const std::string& extra = "")
{
    std::string xml = "<part name=\"" + name + "\" " + extra;
    for (size_t i = 0; i < points.size(); ++i) {
        xml += " order" + std::to_string(i) + "_x=\"" + std::to_string(points[i].first) + "\" order" +
               std::to_string(i) + "_y=\"" + std::to_string(points[i].second) + "\"";
    }
    return xml + "/>";
}

/// A static item of one part, named like the item, with a horizontal base line over the columns x0..x1 - 1.
std::string Line(const std::string& name, int x0, int x1, int y)
{
    return "<object class=\"item\" name=\"" + name + "\">" + Part(name, {{x0, y}, {(x0 + x1) / 2, y}, {x1, y}}) +
           "</object>";
}

class ZOrderTest : public SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        RegisterItemFactory("mover", []() -> TMItem* { return new MoverItem(); });
        gZOrder = &mZOrder;
        mPreviousSink = Platform::SetLogSink([this](Platform::LogLevel, const char*, const std::string& text) {
            const std::lock_guard lock(mLogLock);
            mLog.push_back(text);
        });
    }
    void TearDown() override
    {
        Platform::SetLogSink(mPreviousSink);
        mZOrder.Clear();
        gZOrder = nullptr;
        SceneFixture::TearDown();
    }

    /// Loads the scene's objects and registers them for drawing.
    void Load(const std::string& objects)
    {
        const XmlText scene(("<scene><objects>" + objects + "</objects></scene>").c_str());
        LoadLevelObjects(scene.Root());
        RegisterLevelObjectsForDrawing();
    }

    /// Stands the figure with its feet at (x, y), as a walking mover does.
    static void PlaceMover(const std::string& name, int x, int y)
    {
        for (const auto& part : TMItem::FindByName(name)->GetParts())
            part->mOrderPoints = {EffectPoint{x - 20, y}, EffectPoint{x, y}, EffectPoint{x + 20, y}};
    }

    static TMItemPart* PartOf(const std::string& item, const std::string& part)
    {
        return TMItem::FindByName(item)->FindPart(part);
    }

    std::vector<std::string> DrawNames(bool force = true)
    {
        std::vector<std::string> names;
        for (const TMItemPart* part : mZOrder.GetDrawList(force))
            names.push_back(part->GetName());
        return names;
    }

    bool LogHas(const std::string& text)
    {
        const std::lock_guard lock(mLogLock);
        for (const std::string& line : mLog) {
            if (line.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    ZOrder mZOrder;
    std::mutex mLogLock;
    std::vector<std::string> mLog;
    Platform::LogSink mPreviousSink;
};

using Names = std::vector<std::string>;

TEST_F(ZOrderTest, LowerBaseLinesStandInFrontAndAMoverStandsByItsFeet)
{
    // "top" lies across the whole top of the screen, so a wrong cell read under a figure below the screen (the
    // next column's top rows) would find it.
    Load(Line("near", 0, 200, 400) + Line("top", 0, 799, 10) + Line("far", 0, 200, 300) +
         R"(<object class="mover" name="walker"><part name="walker"/></object>)");
    const ZOrder::Cell cell = mZOrder.GetCell(100, 350);
    EXPECT_EQ(cell.owner, PartOf("far", "far"));
    EXPECT_EQ(cell.depth, 51);

    struct Case {
        const char* name;
        int x;
        int y;
        Names expected;
    };
    const Case cases[] = {
        {"between the lines", 100, 350, {"top", "far", "walker", "near"}},
        {"in front of both", 100, 450, {"top", "far", "near", "walker"}},
        {"feet reaching past the left edge", 5, 350, {"top", "far", "walker", "near"}},
        {"feet reaching past the right edge", 790, 50, {"top", "walker", "far", "near"}},
        {"below the screen", 100, 620, {"top", "far", "near", "walker"}},
        {"left of the screen", -100, 350, {"top", "far", "near", "walker"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlaceMover("walker", c.x, c.y);
        EXPECT_EQ(DrawNames(), c.expected);
    }
}

TEST_F(ZOrderTest, MoversLinksAndOverPartsMergeIntoTheDrawList)
{
    Load(Line("far", 0, 400, 300) + Line("near", 0, 400, 400) +
         R"(<object class="mover" name="boss"><part name="body"/><part name="head"/><part name="held_items"/></object>
            <object class="mover" name="client"><part name="client"/></object>
            <object class="item" name="cloud"><part name="cloud" zover="1"/></object>)");
    PlaceMover("boss", 100, 360);
    PlaceMover("client", 200, 340);

    // The figure nearer the front is drawn later; a figure's parts keep their order; "held_items" is drawn only
    // through a link, and the over layer comes last.
    EXPECT_EQ(DrawNames(), (Names{"far", "client", "body", "head", "near", "cloud"}));

    TMItemPart* head = PartOf("boss", "head");
    TMItemPart* held = PartOf("boss", "held_items");
    mZOrder.AddPartLink(head, held);
    mZOrder.AddPartLink(head, held);
    EXPECT_EQ(DrawNames(false), (Names{"far", "client", "body", "head", "near", "cloud"}))
        << "an unforced request keeps the list";
    EXPECT_EQ(DrawNames(), (Names{"far", "client", "body", "head", "held_items", "near", "cloud"}))
        << "a pair linked twice is drawn once";
    EXPECT_EQ(DrawNames(), (Names{"far", "client", "body", "head", "near", "cloud"})) << "links hold for one build";
}

TEST_F(ZOrderTest, ZParentChainsAreDrawnInTheirParentsPlace)
{
    Load(Line("stool", 0, 200, 400) + Line("counter", 0, 200, 300) + "<object class=\"item\" name=\"deco\">" +
         Part("sign", {}, "parent_z=\"counter:counter\"") + Part("lamp", {}, "parent_z=\"counter:counter\"") +
         Part("bulb", {}, "parent_z=\"deco:lamp\"") + Part("left", {}, "parent_z=\"deco:right\"") +
         Part("right", {}, "parent_z=\"deco:left\"") +
         Part("stray", {{10, 500}, {20, 500}, {30, 500}}, "parent_z=\"nothing:here\"") + "</object>" +
         R"(<object class="mover" name="walker"><part name="walker"/></object>)");
    PlaceMover("walker", 100, 350);

    // A part whose parent names nothing keeps its own base line; two parts naming each other are left out.
    EXPECT_EQ(DrawNames(), (Names{"counter", "sign", "lamp", "bulb", "walker", "stool", "stray"}));
    EXPECT_TRUE(LogHas("Note: Crossparent part: part: <deco:lamp>, parent: <counter:counter>"));
    EXPECT_TRUE(LogHas(" ---primary part: <counter:counter>"));
    EXPECT_TRUE(LogHas("Error! Isolated parts (no zorder, no zparent):"));
    EXPECT_TRUE(LogHas("   --- part: <deco:left>"));
    EXPECT_TRUE(LogHas("   --- part: <deco:right>"));
}

TEST_F(ZOrderTest, APartWithoutABaseLineIsLoggedAndOrdersNothing)
{
    Load(Line("near", 0, 200, 400) +
         R"(<object class="item" name="floor"><part name="rug" order0_x="50" order0_y="350" order1_x="50"
                order1_y="350" order2_x="50" order2_y="350"/></object>)" +
         Line("far", 0, 200, 300));

    EXPECT_TRUE(LogHas("Invalid part (no zorder, no zparent): <floor:rug>"));
    // Standing behind nothing, it is drawn with the parts at the back.
    EXPECT_EQ(DrawNames(), (Names{"rug", "far", "near"}));
}

/// Two base lines crossing at x = 100: each stands in front of the other on one side.
const std::string kCrossing = "<object class=\"item\" name=\"a\">" + Part("a", {{0, 100}, {100, 200}, {200, 300}}) +
                              "</object><object class=\"item\" name=\"b\">" +
                              Part("b", {{0, 300}, {100, 200}, {200, 100}}) + "</object>";

TEST_F(ZOrderTest, ACycleWithNoRootLeavesOnlyTheMoversAndOverParts)
{
    Load(kCrossing + R"(<object class="mover" name="walker"><part name="walker"/></object>
                        <object class="item" name="cloud"><part name="cloud" zover="1"/></object>)");
    PlaceMover("walker", 50, 500);

    EXPECT_EQ(DrawNames(), (Names{"walker", "cloud"}));
    EXPECT_TRUE(LogHas("!!!Critical Error: Can't find root object, remake z-order"));
    EXPECT_TRUE(LogHas(" <a> "));
    EXPECT_TRUE(LogHas("   -- <b>"));
}

TEST_F(ZOrderTest, PartsOfACycleThatNoRootReachesAreStillDrawnAndLogged)
{
    Load(kCrossing + Line("shelf", 400, 600, 200));

    EXPECT_EQ(DrawNames(), (Names{"shelf", "a", "b"}));
    EXPECT_TRUE(LogHas("Error! Parts in a z-order cycle, drawn last (remake z-order):"));
    EXPECT_TRUE(LogHas("   --- part: <a:a>"));
    EXPECT_TRUE(LogHas("   --- part: <b:b>"));
    EXPECT_FALSE(LogHas("Can't find root object"));
}

TEST_F(ZOrderTest, TheDumpListsTheDrawOrderAndClearDropsTheLevel)
{
    Load(Line("near", 0, 200, 400) + Line("far", 0, 200, 300));
    mZOrder.GetDrawList(true);
    ASSERT_TRUE(mZOrder.DumpToFile());
    std::ifstream file(mScratch.Path() / "debug_z.log");
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), "============================================\n"
                          " ZOrder\n"
                          "Object: <far>\n"
                          "Object: <near>\n");

    mZOrder.Clear();
    EXPECT_TRUE(mZOrder.GetDrawList(true).empty());
    EXPECT_EQ(mZOrder.GetCell(100, 350).owner, nullptr);
    EXPECT_EQ(mZOrder.GetCell(100, 350).depth, 0);
}

} // namespace
