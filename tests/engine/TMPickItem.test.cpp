// Pick items: the click polygon and its edges, blockers in front (also when they name each other), shared
// highlights, pick points, the two checkmarks, and the name registry.
#include "engine/TMPickItem.h"

#include "engine/TMItemPart.h"
#include "platform/log/Log.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace EngineTest;

class TMPickItemTest : public SceneFixture {};

/// A pick item loaded from the text of its object element.
std::unique_ptr<TMPickItem> LoadPick(const std::string& element)
{
    const XmlText xml(element.c_str());
    auto item = std::make_unique<TMPickItem>();
    item->Load(xml.Root());
    return item;
}

TEST_F(TMPickItemTest, TheRegionReadsNumberPairsUpToTheFirstNonNumber)
{
    const struct {
        const char* rgn;
        size_t points;
        bool region;
    } cases[] = {
        {"0 0 10 0 0 10", 3, true},       {"1 2 3", 1, false}, // the unpaired third number is dropped
        {"10, 20 30 40 50 60", 0, false},                      // the comma ends the reading
        {"5 5 x 7 7 7", 1, false},        {"  -3\t4\n5 -6 ", 2, true}, {"", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rgn);
        const auto item = LoadPick(std::string("<object name=\"t\" rgn=\"") + c.rgn + "\"/>");
        EXPECT_EQ(item->GetRegion().Vertices().size(), c.points);
        EXPECT_EQ(!item->GetRegion().IsEmpty(), c.region);
        item->Unload();
    }
    const auto item = LoadPick(R"(<object name="t"/>)");
    item->mPresent = true;
    EXPECT_FALSE(item->HitTest({0, 0})) << "no region: never hit";
    item->Unload();
}

TEST_F(TMPickItemTest, LeftAndTopEdgesAreInsideRightAndBottomEdgesOutside)
{
    const PolygonRegion square({{10, 10}, {20, 10}, {20, 20}, {10, 20}});
    const struct {
        const char* name;
        Pyxo::Point point;
        bool inside;
    } cases[] = {
        {"left edge", {10, 15}, true},   {"top edge", {15, 10}, true},     {"top-left corner", {10, 10}, true},
        {"right edge", {20, 15}, false}, {"bottom edge", {15, 20}, false}, {"last pixel", {19, 19}, true},
        {"left of it", {9, 15}, false},  {"above it", {15, 9}, false},     {"inside", {12, 17}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(square.Contains(c.point), c.inside);
    }
    // Listed the other way round, the same pixels.
    const PolygonRegion reversed({{10, 20}, {20, 20}, {20, 10}, {10, 10}});
    for (const auto& c : cases)
        EXPECT_EQ(reversed.Contains(c.point), c.inside) << c.name;

    // A five-pointed star drawn in one stroke: its centre is wound twice, inside by the non-zero rule.
    const PolygonRegion star({{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}});
    EXPECT_TRUE(star.Contains({50, 50}));
    EXPECT_TRUE(star.Contains({50, 10}));
    EXPECT_FALSE(star.Contains({5, 80}));
    EXPECT_FALSE(PolygonRegion({{0, 0}, {10, 10}}).Contains({0, 0})) << "two points enclose nothing";
}

TEST_F(TMPickItemTest, ARegionSpanningTheWholeCoordinateRangeIsTestedExactly)
{
    // Doubled, these coordinates need 33 bits and their cross products 67.
    const PolygonRegion huge(
        {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}});
    const PolygonRegion sliver({{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MAX - 1}});
    const struct {
        const char* name;
        const PolygonRegion& region;
        Pyxo::Point point;
        bool inside;
    } cases[] = {
        {"the origin", huge, {0, 0}, true},
        {"the top-left corner", huge, {INT32_MIN, INT32_MIN}, true},
        {"the last pixel", huge, {INT32_MAX - 1, INT32_MAX - 1}, true},
        {"the right edge", huge, {INT32_MAX, 0}, false},
        {"beside the sliver's diagonal", sliver, {0, 1}, false},
        {"under the sliver's diagonal", sliver, {1, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.region.Contains(c.point), c.inside);
    }
}

TEST_F(TMPickItemTest, ABlockerInFrontTakesTheClickAndACycleEnds)
{
    const XmlText scene(R"(<scene><objects>
        <object class="pickable" name="table" rgn="0 0 100 0 100 100 0 100"><picks pick="tray"/><picks pick="nobody"/></object>
        <object class="pickable" name="tray" rgn="50 50 150 50 150 150 50 150"><picks pick="table"/></object>
    </objects></scene>)");
    LoadLevelObjects(scene.Root());
    const XmlText level(R"(<level><objects><object name="table"/><object name="tray"/></objects></level>)");
    ApplyLevelObjectStates(level.Root());
    TMPickItem* table = TMPickItem::FindPickItem("table");
    TMPickItem* tray = TMPickItem::FindPickItem("tray");
    ASSERT_NE(table, nullptr);
    ASSERT_NE(tray, nullptr);
    ASSERT_EQ(table->GetBlockerItems().size(), 1u) << "names of absent items are skipped";

    EXPECT_TRUE(table->HitTest({10, 10}));
    EXPECT_FALSE(tray->HitTest({10, 10}));
    // Inside both, and each names the other: the tests end, and the item asked keeps the click.
    EXPECT_TRUE(table->HitTest({60, 60}));
    EXPECT_TRUE(tray->HitTest({60, 60}));

    // A one-way blocker takes the click away.
    tray->ReleaseLevelState();
    EXPECT_TRUE(tray->GetBlockerItems().empty());
    EXPECT_FALSE(table->HitTest({60, 60}));
    EXPECT_TRUE(tray->HitTest({60, 60}));
    // A hidden blocker takes nothing.
    tray->SetVisible(false);
    EXPECT_TRUE(table->HitTest({60, 60}));
}

TEST_F(TMPickItemTest, HighlightsReachPairsAndTheOccupantButNotItself)
{
    static TMItem* occupant = nullptr;
    const XmlText scene(R"(<scene><objects>
        <object class="pickable" name="counter"><select_block pair_item="counter"/><select_block pair_item="sign"/><select_block pair_item=""/></object>
        <object class="item" name="sign"/>
        <object class="item" name="clerk"/>
    </objects></scene>)");
    LoadLevelObjects(scene.Root());
    const XmlText level(
        R"(<level><objects><object name="counter"/><object name="sign"/><object name="clerk"/></objects></level>)");
    ApplyLevelObjectStates(level.Root());
    TMPickItem* counter = TMPickItem::FindPickItem("counter");
    occupant = TMItem::FindByName("clerk");
    SetPlaceOccupantLookup([](TMItem*) { return occupant; });

    ASSERT_EQ(counter->GetPairItems().size(), 2u);
    counter->SetMouseOver({0, 0}, true);
    EXPECT_TRUE(counter->IsMouseOver());
    EXPECT_TRUE(TMItem::FindByName("sign")->IsMouseOver());
    EXPECT_TRUE(occupant->IsMouseOver());
    counter->SetMouseOver({0, 0}, false);
    EXPECT_FALSE(TMItem::FindByName("sign")->IsMouseOver());
    EXPECT_FALSE(occupant->IsMouseOver());
    occupant = nullptr;
}

TEST_F(TMPickItemTest, PickPointsAreFoundByOwnerFirstOneWins)
{
    const auto item = LoadPick(R"(<object name="t">
        <point owner="boss" direction="tl" offs_x="5" offs_y="-6"/>
        <point owner="boss" direction="br" offs_x="50" offs_y="60"/>
        <point owner="worker1" direction="r"/>
    </object>)");
    Pyxo::Point at;
    std::string direction;
    ASSERT_TRUE(item->GetPickPoint("boss", at, direction));
    EXPECT_EQ(at.mX, 5);
    EXPECT_EQ(at.mY, -6);
    EXPECT_EQ(direction, "tl");
    ASSERT_TRUE(item->GetPickPoint("worker1", at, direction));
    EXPECT_EQ(at.mX, 0);
    EXPECT_FALSE(item->GetPickPoint("client", at, direction));
    item->Unload();
}

TEST_F(TMPickItemTest, TwoCheckmarksShowPendingWalksAndAThirdClickIsLogged)
{
    std::vector<std::string> log;
    const Platform::LogSink previous =
        Platform::SetLogSink([&](Platform::LogLevel, const char*, const std::string& text) { log.push_back(text); });
    const auto item =
        LoadPick(R"(<object name="oven"><part name="body"/><part name="checkmark"/><part name="checkmark"/></object>)");
    item->Activate(true);
    ASSERT_NE(item->GetCheckmark(0), nullptr);
    ASSERT_NE(item->GetCheckmark(1), nullptr);
    EXPECT_NE(item->GetCheckmark(0), item->GetCheckmark(1));
    EXPECT_FALSE(item->GetCheckmark(0)->IsVisible()) << "hidden at activation";
    EXPECT_FALSE(item->GetCheckmark(1)->IsVisible());

    item->ShowNextCheckmark();
    EXPECT_TRUE(item->GetCheckmark(0)->IsVisible());
    EXPECT_FALSE(item->GetCheckmark(1)->IsVisible());
    item->ShowNextCheckmark();
    EXPECT_TRUE(item->GetCheckmark(1)->IsVisible());
    EXPECT_TRUE(log.empty());
    item->ShowNextCheckmark();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Warning: object <oven> is over clicked... oh... slowly, please!");

    item->ReleaseCheckmark();
    EXPECT_FALSE(item->GetCheckmark(1)->IsVisible()) << "the second goes first";
    EXPECT_TRUE(item->GetCheckmark(0)->IsVisible());
    item->ReleaseCheckmark();
    EXPECT_FALSE(item->GetCheckmark(0)->IsVisible());
    item->ReleaseCheckmark();
    EXPECT_FALSE(item->IsCheckmarkInUse(0));
    Platform::SetLogSink(previous);
    item->Unload();
}

TEST_F(TMPickItemTest, UnloadRemovesOnlyItsOwnRegistryEntry)
{
    const auto first = LoadPick(R"(<object name="tray"/>)");
    const auto second = LoadPick(R"(<object name="tray"/>)");
    EXPECT_EQ(TMPickItem::FindPickItem("tray"), first.get());
    second->Unload();
    EXPECT_EQ(TMPickItem::FindPickItem("tray"), first.get()) << "the earlier item keeps its entry";
    first->Unload();
    EXPECT_EQ(TMPickItem::FindPickItem("tray"), nullptr);
}

TEST_F(TMPickItemTest, ClicksAreCountedAndPickabilityNeedsPresenceAndVisibility)
{
    const auto item = LoadPick(R"(<object name="bin"/>)");
    item->IncClickCount();
    item->IncClickCount();
    EXPECT_EQ(item->GetClickCount(), 2);
    item->ResetClickCount();
    EXPECT_EQ(item->GetClickCount(), 0);
    EXPECT_FALSE(item->IsPickable(true)) << "not present before its level state";
    item->mPresent = true;
    EXPECT_TRUE(item->IsPickable(true));
    EXPECT_FALSE(item->IsPickable(false));
    item->SetVisible(false);
    EXPECT_FALSE(item->IsPickable(true));
    item->Unload();
}

} // namespace
