// Scene items: made by class name through the factory, kept by name and in the named slots, given their level
// state, stepped (delayed events, idle holds) and torn down with the slots cleared.
#include "engine/TMItem.h"

#include "engine/GameClock.h"
#include "engine/TMItemPart.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

using namespace EngineTest;

class TMItemTest : public SceneFixture {
protected:
    void TearDown() override
    {
        gFrameDelta = 0.0f;
        SceneFixture::TearDown();
    }
};

/// Records the delayed events and interactions it receives.
class RecordingItem : public TMItem {
public:
    void OnDelayedEvent(int code) override { mEvents.push_back(code); }
    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override
    {
        mInteractions.push_back({by, checkOnly});
        if (extra)
            ++*extra;
        return true;
    }
    std::vector<int> mEvents;
    std::vector<std::pair<TMItem*, bool>> mInteractions;
};

constexpr const char* kScene = R"(<scene><objects>
    <object class="item" name="table1" pos_x="100" pos_y="-20" offs_x="3" offs_y="4" orient="tl">
        <part name="top"/><part name="leg"/>
    </object>
    <object class="nonsense" name="ghost"/>
    <object class="pickable" name="table1"/>
    <object class="item" name="boss"/>
    <object class="pickable" name="bonus"/>
</objects></scene>)";

TEST_F(TMItemTest, TheFactoryMakesKnownClassesAndFillsTheRegistriesAndSlots)
{
    const XmlText scene(kScene);
    LoadLevelObjects(scene.Root());

    ASSERT_EQ(gItems.size(), 4u) << "the unknown class is skipped";
    std::vector<std::string> names;
    for (const TMItem* item : gItems)
        names.push_back(item->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"table1", "table1", "boss", "bonus"}));

    TMItem* first = gItems.front();
    EXPECT_EQ(TMItem::FindByName("table1"), first) << "the first item of a name stays";
    EXPECT_EQ(TMItem::FindByName("ghost"), nullptr);
    EXPECT_EQ(first->mPosX, 100);
    EXPECT_EQ(first->mPosY, -20);
    EXPECT_EQ(first->mOffsX, 3);
    EXPECT_EQ(first->mOffsY, 4);
    EXPECT_EQ(first->GetOrientation(), "tl");
    ASSERT_EQ(first->GetParts().size(), 2u);
    EXPECT_EQ(first->FindPart("leg")->GetName(), "leg");
    EXPECT_EQ(first->FindPart("leg", 1), nullptr);
    EXPECT_EQ(first->GetEffectTargets().count, 2);

    // A "boss" of class "item" is the boss all the same.
    ASSERT_NE(gBoss, nullptr);
    EXPECT_EQ(gBoss->GetName(), "boss");
    EXPECT_EQ(dynamic_cast<TMPickItem*>(gBoss), nullptr);
    ASSERT_NE(gBonusItem, nullptr);
    EXPECT_EQ(gBonusItem->GetName(), "bonus");
    EXPECT_EQ(gPickItems.size(), 2u);

    ClearLevelObjects();
    EXPECT_TRUE(gItems.empty());
    EXPECT_TRUE(gItemsByName.empty());
    EXPECT_TRUE(gPickItems.empty());
    EXPECT_EQ(gBoss, nullptr) << "no slot is left pointing at a deleted item";
    EXPECT_EQ(gBonusItem, nullptr);
}

TEST_F(TMItemTest, LevelStatesSetSkinPresenceAndVisibility)
{
    const XmlText scene(kScene);
    LoadLevelObjects(scene.Root());
    TMItem* table = gItems.front();
    table->SetSkin("old", true);
    const XmlText level(R"(<level><objects>
        <object name="table1"/>
        <group><object name="boss" skin="gold"/></group>
        <object name="bonus" skin="x" stop="true"/>
    </objects></level>)");
    ApplyLevelObjectStates(level.Root());

    // The entry without a skin clears the skin of the item and of every part.
    EXPECT_TRUE(table->IsPresent());
    EXPECT_TRUE(table->IsVisible());
    EXPECT_EQ(table->GetSkin(), "");
    for (const auto& part : table->GetParts())
        EXPECT_EQ(part->GetSkin(), "");

    EXPECT_EQ(gBoss->GetSkin(), "gold") << "entries are found at any depth under objects";
    EXPECT_TRUE(gBoss->IsPresent());
    EXPECT_FALSE(gBonusItem->IsPresent()) << "stopped";
    EXPECT_FALSE(gBonusItem->IsVisible());
    TMItem* second = *std::next(gItems.begin());
    EXPECT_TRUE(second->IsPresent()) << "its name's entry applies to it too";
}

TEST_F(TMItemTest, AnItemWithoutLevelEntryIsHiddenAndAbsent)
{
    const XmlText scene(kScene);
    LoadLevelObjects(scene.Root());
    const XmlText level(R"(<level><objects><object name="boss"/></objects></level>)");
    ApplyLevelObjectStates(level.Root());
    EXPECT_FALSE(gItems.front()->IsPresent());
    EXPECT_FALSE(gItems.front()->IsVisible());
    EXPECT_TRUE(gBoss->IsPresent());

    // Only present items are stepped and switched on.
    gItems.front()->PostDelayedEvent(0.01f, 1);
    gFrameDelta = 1.0f;
    UpdateLevelObjects();
    EXPECT_TRUE(gItems.front()->IsDelayPending());
}

TEST_F(TMItemTest, DelayedEventsFireOnceAndOnlyForAPositiveDelay)
{
    RecordingItem item;
    item.mPresent = true;
    gFrameDelta = 0.05f;

    item.PostDelayedEvent(0.0f, 7);
    for (int i = 0; i < 5; ++i)
        item.Update();
    EXPECT_TRUE(item.mEvents.empty()) << "a delay of 0 never fires";

    item.PostDelayedEvent(0.12f, 3);
    item.Update();
    item.Update();
    EXPECT_TRUE(item.mEvents.empty());
    EXPECT_TRUE(item.IsDelayPending());
    item.Update();
    EXPECT_EQ(item.mEvents, std::vector<int>{3});
    EXPECT_FALSE(item.IsDelayPending());
    item.Update();
    EXPECT_EQ(item.mEvents.size(), 1u);

    // A hidden item does not count its delay down.
    item.PostDelayedEvent(0.01f, 4);
    item.SetVisible(false);
    item.Update();
    EXPECT_EQ(item.mEvents.size(), 1u);
}

TEST_F(TMItemTest, HidingClearsTheMouseOverAndShowingReachesTheParts)
{
    const XmlText scene(kScene);
    LoadLevelObjects(scene.Root());
    TMItem* table = gItems.front();
    table->SetMouseOver({1, 1}, true);
    EXPECT_TRUE(table->IsMouseOver());
    table->SetVisible(false);
    EXPECT_FALSE(table->IsMouseOver());

    // Without an effect, Show sets the visibility of the item and of every part.
    table->Show(false);
    for (const auto& part : table->GetParts())
        EXPECT_FALSE(part->mVisible);
    table->Activate(true);
    EXPECT_TRUE(table->IsVisible());
    for (const auto& part : table->GetParts())
        EXPECT_TRUE(part->IsVisible());
}

TEST_F(TMItemTest, AHoldWhoseRecordWasRemovedWaitsForItsRecordToReturn)
{
    TMItem item;
    item.mPresent = true;
    item.SetAnimationPause("idle", 2, 0.5f, 0.5f);
    item.SetAnimationPause("idle", 3, 0.4f, 0.4f); // replaces the record of that name
    item.OnAnimationEnd(nullptr, "walk");
    EXPECT_FALSE(item.IsPauseActive()) << "no record for walk";

    item.OnAnimationEnd(nullptr, "idle");
    EXPECT_TRUE(item.IsPauseActive());
    EXPECT_FLOAT_EQ(item.GetPauseTime(), 0.4f);
    EXPECT_EQ(item.GetPauseAnimation(), "idle");

    item.RemoveAnimationPause("idle");
    gFrameDelta = 0.25f;
    for (int i = 0; i < 4; ++i)
        item.Update();
    EXPECT_TRUE(item.IsPauseActive()) << "the countdown ran out without a record: nothing fires";

    item.SetAnimationPause("idle", 1, 5.0f, 5.0f);
    item.Update();
    EXPECT_FALSE(item.IsPauseActive()) << "fires at the first update once its record is back";
}

TEST_F(TMItemTest, InteractGoesToThePlaceOccupant)
{
    static RecordingItem occupant;
    static TMItem* answer = nullptr;
    occupant.mInteractions.clear();
    SetPlaceOccupantLookup([](TMItem*) { return answer; });
    TMItem place;
    TMItem boss;
    int32_t extra = 0;

    EXPECT_FALSE(place.Interact(&boss, true, &extra)) << "no occupant";
    answer = &occupant;
    EXPECT_TRUE(place.Interact(&boss, true, &extra));
    ASSERT_EQ(occupant.mInteractions.size(), 1u);
    EXPECT_EQ(occupant.mInteractions[0].first, &boss);
    EXPECT_TRUE(occupant.mInteractions[0].second);
    EXPECT_EQ(extra, 1) << "the shared word reaches the occupant";

    answer = &place;
    EXPECT_FALSE(place.Interact(&boss, false, &extra)) << "a place that occupies itself ends there";
    answer = nullptr;
}

TEST_F(TMItemTest, TheTargetListKeepsFifteenEntries)
{
    std::string parts;
    for (int i = 0; i < 17; ++i)
        parts += "<part name=\"p" + std::to_string(i) + "\"/>";
    const std::string text =
        "<scene><objects><object class=\"item\" name=\"many\">" + parts + "</object></objects></scene>";
    const XmlText scene(text.c_str());
    LoadLevelObjects(scene.Root());
    const TMItem* item = gItems.front();
    EXPECT_EQ(item->GetParts().size(), 17u) << "every part is kept";
    EXPECT_EQ(item->GetEffectTargets().count, 15) << "the 16th entry is never filled";
    EXPECT_EQ(item->GetEffectTargets().present, &item->mPresent);
}

} // namespace
