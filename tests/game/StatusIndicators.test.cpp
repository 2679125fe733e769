// Product masks and the status indicators over clients and workers: binding by name, the bubble's show, hide,
// shake and highlight, the bars' frames, colours and moods, and an indicator that shows no actor.
#include "game/StatusIndicators.h"

#include "engine/GameClock.h"
#include "engine/ItemFactory.h"
#include "engine/TMItemPart.h"
#include "game/ProductMasks.h"
#include "game/TIStatSrc.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMWorker.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace EngineTest;

TEST(ProductMasksTest, CompatibilityAndMerging)
{
    struct Case {
        const char* a;
        const char* b;
        bool compatible;
        const char* merged;
    };
    const Case cases[] = {
        {"0100", "0010", true, "0110"}, {"0110", "0010", false, "0110"}, {"0100", "010", false, "0100"},
        {"", "0010", false, "0010"},    {"0100", "", false, "0100"},     {"0000", "0000", true, "0000"},
        {"0200", "0001", true, "0201"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MasksCompatible(c.a, c.b), c.compatible) << c.a << " / " << c.b;
        EXPECT_EQ(MergeMasks(c.a, c.b), c.merged) << c.a << " / " << c.b;
    }
}

/// An actor whose status the test sets directly.
class FakeSource : public TMItem, public TIStatSrc {
public:
    bool GetStatValue(float& value) override
    {
        value = mValue;
        return mHasValue;
    }
    bool GetStatAnimName(std::string& name) override
    {
        name = mWish;
        return !mWish.empty();
    }
    bool GetStatIconName(std::string& name) override
    {
        name = mIcon;
        return true;
    }
    bool IsStatActive() override { return mActive; }
    bool IsStatBusy() override { return false; }

    float mValue = 100.0f;
    bool mHasValue = true;
    std::string mWish;
    std::string mIcon = "think";
    bool mActive = true;
};

constexpr const char* kScene = R"(<scene><objects>
    <object class="fake" name="client1" pos_x="120" pos_y="80"/>
    <object class="fake" name="worker2" pos_x="300" pos_y="40"/>
    <object class="boss" name="boss"/>
    <object class="status_bubble" name="status_bubble_client1">
        <part name="status_bubble"/><part name="status_production"/>
    </object>
    <object class="status_hp_client" name="status_hp_client1">
        <part name="status_hp_client"/><part name="status_hp_client_back"/><part name="status_hp_client_smile"/>
    </object>
    <object class="status_hp_worker" name="status_hp_worker2">
        <part name="status_hp_worker"/><part name="status_hp_worker_back"/>
    </object>
    <object class="status_hp_client" name="status_hp_client9"><part name="status_hp_client"/></object>
</objects></scene>)";

constexpr const char* kLevel = R"(<level><objects>
    <object name="client1"/><object name="worker2"/><object name="boss"/>
    <object name="status_bubble_client1"/><object name="status_hp_client1"/><object name="status_hp_worker2"/>
    <object name="status_hp_client9"/>
</objects></level>)";

class StatusIndicatorsTest : public SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        RegisterItemFactory("fake", []() -> TMItem* { return new FakeSource(); });
        RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
        RegisterItemFactory("status_bubble", []() -> TMItem* { return new TMStatus_Bubble(); });
        RegisterItemFactory("status_hp_client", []() -> TMItem* { return new TMStatus_HP_Client(); });
        RegisterItemFactory("status_hp_worker", []() -> TMItem* { return new TMStatus_HP_Worker(); });
        gClientTuning.patienceGLevel = 70.0f;
        gClientTuning.patienceYLevel = 40.0f;
        gClientTuning.patienceRLevel = 20.0f;
        gWorkerTuning.tidinessGLevel = 60.0f;
        gWorkerTuning.tidinessYLevel = 30.0f;
        gWorkerTuning.tidinessRLevel = 10.0f;

        const XmlText scene(kScene);
        LoadLevelObjects(scene.Root());
        const XmlText level(kLevel);
        ApplyLevelObjectStates(level.Root());
        mClient = dynamic_cast<FakeSource*>(TMItem::FindByName("client1"));
        mWorker = dynamic_cast<FakeSource*>(TMItem::FindByName("worker2"));
        mBubble = dynamic_cast<TMStatus_Bubble*>(TMItem::FindByName("status_bubble_client1"));
        mClientBar = dynamic_cast<TMStatus_HP_Client*>(TMItem::FindByName("status_hp_client1"));
        mWorkerBar = dynamic_cast<TMStatus_HP_Worker*>(TMItem::FindByName("status_hp_worker2"));
        mBoss = GetBoss();
        ASSERT_TRUE(mClient && mWorker && mBubble && mClientBar && mWorkerBar && mBoss);
    }
    void TearDown() override
    {
        gClientTuning = {};
        gWorkerTuning = {};
        SceneFixture::TearDown();
    }

    FakeSource* mClient = nullptr;
    FakeSource* mWorker = nullptr;
    TMStatus_Bubble* mBubble = nullptr;
    TMStatus_HP_Client* mClientBar = nullptr;
    TMStatus_HP_Worker* mWorkerBar = nullptr;
    TMBoss* mBoss = nullptr;
};

TEST_F(StatusIndicatorsTest, IndicatorsBindToTheirActorByNameAndStandOnIt)
{
    EXPECT_EQ(mBubble->GetSource(), mClient);
    EXPECT_EQ(mClientBar->GetSource(), mClient);
    EXPECT_EQ(mWorkerBar->GetSource(), mWorker);
    EXPECT_EQ(mBubble->mPosX, 120);
    EXPECT_EQ(mBubble->mPosY, 80);
    EXPECT_EQ(mWorkerBar->mPosX, 300);

    // No "client9": the bar stays hidden whatever happens.
    auto* orphan = dynamic_cast<TMStatus_HP_Client*>(TMItem::FindByName("status_hp_client9"));
    ASSERT_NE(orphan, nullptr);
    EXPECT_EQ(orphan->GetSource(), nullptr);
    ActivateLevelObjects(true);
    for (int i = 0; i < 3; ++i)
        UpdateLevelObjects();
    EXPECT_FALSE(orphan->IsVisible());
    EXPECT_EQ(orphan->GetLastFrame(), -1);
}

TEST_F(StatusIndicatorsTest, TheBubbleFollowsTheWishAndHidesForOneFrameWhenItChanges)
{
    mClient->mWish = "0100";
    mBubble->Activate(true);
    EXPECT_FALSE(mBubble->IsVisible());

    mBubble->Update();
    EXPECT_TRUE(mBubble->IsVisible());
    EXPECT_TRUE(mBubble->IsShown());
    EXPECT_EQ(mBubble->GetShownProduct(), "0100");
    EXPECT_EQ(mBubble->GetShownIcon(), "think");

    mBubble->Update();
    EXPECT_TRUE(mBubble->IsVisible()) << "the same wish keeps it up";

    mClient->mWish = "0010";
    mBubble->Update();
    EXPECT_FALSE(mBubble->IsVisible()) << "a changed wish hides it for a frame";
    mBubble->Update();
    EXPECT_TRUE(mBubble->IsVisible());
    EXPECT_EQ(mBubble->GetShownProduct(), "0010");

    mClient->mActive = false;
    mBubble->Update();
    EXPECT_FALSE(mBubble->IsVisible());
    mBubble->Update();
    EXPECT_FALSE(mBubble->IsVisible()) << "an inactive actor shows no bubble";
}

TEST_F(StatusIndicatorsTest, AScandalKeepsTheBubbleShakingAndAHeldWishIsHighlighted)
{
    mClient->mWish = "0100";
    mBubble->Activate(true);
    mBubble->Update();

    mBoss->SetSecondHand("0100");
    mBubble->Update();
    EXPECT_TRUE(mBubble->IsHighlighted());
    EXPECT_EQ(mBubble->GetShownIcon(), "think_active");

    mClient->mWish = "scandal";
    mBubble->Update();
    EXPECT_TRUE(mBubble->IsVisible()) << "a scandal does not hide it";
    EXPECT_TRUE(mBubble->IsShaking());
    EXPECT_FALSE(mBubble->IsHighlighted()) << "a scandal drops the highlight";
    EXPECT_EQ(mBubble->GetShownProduct(), "scandal");
    EXPECT_EQ(mBubble->GetLastWish(), "0100") << "a scandal is never the remembered wish";
    mBubble->Update();
    EXPECT_TRUE(mBubble->IsShaking());

    mClient->mWish = "0100";
    mBubble->Update();
    EXPECT_FALSE(mBubble->IsShaking());
    EXPECT_TRUE(mBubble->IsHighlighted()) << "the boss still holds the wish";

    mBoss->SetSecondHand("");
    mBubble->Update();
    EXPECT_FALSE(mBubble->IsHighlighted());
    EXPECT_EQ(mBubble->GetShownIcon(), "think");

    // Empty hands never match an empty wish.
    mClient->mWish.clear();
    mBubble->Update();
    EXPECT_FALSE(mBubble->IsHighlighted());
}

TEST_F(StatusIndicatorsTest, TheClientBarShowsFramesColoursAndMoodsByPatience)
{
    struct Case {
        float patience;
        int frame;
        uint32_t color;
        const char* mood;
    };
    // g = 70, y = 40, r = 20: g2 = 90, g1 = 80, y1 = 55.
    const Case cases[] = {
        {100.0f, 6, 0xFF70F044, "greenidle"}, {90.0f, 6, 0xFF70F044, "greenidle"},
        {85.0f, 5, 0xFF70F044, "greenidle"},  {70.0f, 4, 0xFF70F044, "greenidle"},
        {55.0f, 3, 0xFFF9EF4D, "yellowidle"}, {40.0f, 2, 0xFFF9EF4D, "yellowidle"},
        {20.0f, 1, 0xFFFB2626, "redidle"},    {19.9f, 0, 0xFFFB2626, "redidle"},
    };
    mClientBar->Activate(true);
    for (const Case& c : cases) {
        mClient->mValue = c.patience;
        mClientBar->Update();
        EXPECT_TRUE(mClientBar->IsVisible());
        EXPECT_EQ(mClientBar->GetLastFrame(), c.frame) << c.patience;
        EXPECT_EQ(mClientBar->GetBarColor(), c.color) << c.patience;
        EXPECT_EQ(mClientBar->GetLastMood(), c.mood) << c.patience;
    }

    mClient->mActive = false;
    mClientBar->Update();
    EXPECT_FALSE(mClientBar->IsVisible()) << "an inactive client hides its bar";
}

TEST_F(StatusIndicatorsTest, IceTurnsTheBarsBlueAndTheMoodFrozen)
{
    TMBoard_Game3 board(nullptr, pugi::xml_node());
    ResetGameTime();
    board.GetIceCountdown().Start(5.0f);

    mClient->mValue = 30.0f;
    mClientBar->Activate(true);
    mClientBar->Update();
    EXPECT_EQ(mClientBar->GetBarColor(), 0xFF47D6FFu);
    EXPECT_EQ(mClientBar->GetLastMood(), "freezeidle");
    EXPECT_EQ(mClientBar->GetLastFrame(), 1) << "the frame still follows the patience";

    mWorker->mValue = 5.0f;
    mWorkerBar->Activate(true);
    mWorkerBar->Update();
    EXPECT_EQ(mWorkerBar->GetBarColor(), 0xFF47D6FFu);
}

TEST_F(StatusIndicatorsTest, TheWorkerBarShowsThirteenFramesAndColoursByTidiness)
{
    struct Case {
        float tidiness;
        int frame;
        uint32_t color;
    };
    // g = 60, y = 30.
    const Case cases[] = {
        {100.0f, 12, 0xFF70F044}, {60.5f, 8, 0xFF70F044}, {60.0f, 8, 0xFFF9EF4D}, {30.0f, 4, 0xFFFB2626},
        {0.1f, 1, 0xFFFB2626},    {0.0f, 0, 0xFFFB2626},  {-3.0f, 0, 0xFFFB2626},
    };
    mWorkerBar->Activate(true);
    EXPECT_TRUE(mWorkerBar->IsVisible());
    for (const Case& c : cases) {
        mWorker->mValue = c.tidiness;
        mWorkerBar->Update();
        EXPECT_EQ(mWorkerBar->GetLastFrame(), c.frame) << c.tidiness;
        EXPECT_EQ(mWorkerBar->GetBarColor(), c.color) << c.tidiness;
    }
}

} // namespace
