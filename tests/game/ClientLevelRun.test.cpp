// Clients in whole levels loaded on the level-loading thread: they arrive from the event queue, the test serves them
// through the boss's hands and their places as the mover would, they pay and leave, and the day or the cafe ends
// with its result in the player file. Standing clients decide at once and seated ones eat at once here: the
// fixture's client kind has no decision or eating time.

#include "engine/TextVars.h"
#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMItemBonus.h"
#include "game/TMPref.h"
#include "tests/SuiteLabels.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace GameTest;

/// Two standing clients, one seated client, their places with their parts, the boss and the cash pop-ups.
constexpr const char* kClientScene = R"(
    <object class="boss" name="boss"/>
    <object class="item_bonus" name="bonus"><part name="cash"/><part name="cash"/><part name="cash"/></object>
    <object class="pickable" name="client_place1" rgn="0 0 10 0 10 10 0 10"><part name="client_money"/>
        <part name="bar"/></object>
    <object class="pickable" name="client_place2" rgn="20 0 30 0 30 10 20 10"><part name="client_money"/>
        <part name="bar"/></object>
    <object class="pickable" name="client_sit_place1" rgn="40 0 50 0 50 10 40 10"><part name="client_money"/></object>
    <object class="client" name="client1"><part name="cash"/></object>
    <object class="client" name="client2"><part name="cash"/></object>
    <object class="client_sit" name="client_sit1"><part name="cash"/></object>)";

constexpr const char* kClientLevelObjects = R"(<objects><object name="boss"/><object name="bonus"/>
    <object name="client_place1"/><object name="client_place2"/><object name="client_sit_place1"/>
    <object name="client1"/><object name="client2"/><object name="client_sit1"/></objects>)";

class ClientLevelRunTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        WriteGameConfig(mFolder, "");
        WriteScene("s1.xml", kClientScene);
    }

    /// Steps the board until the condition holds, at most n frames; true when it held.
    bool RunUntil(const std::function<bool()>& condition, int n)
    {
        for (int i = 0; i < n && !condition(); ++i)
            mGameBoard->Update();
        return condition();
    }

    /// The boss at the place, as the mover serves it: the check, then the real call.
    static bool ServeAt(const std::string& place)
    {
        TMItem* item = TMItem::FindByName(place);
        if (!item || !item->Interact(gBoss, true, nullptr))
            return false;
        item->Interact(gBoss, false, nullptr);
        return true;
    }

    /// The client's place gets its order taken, then its wish served from the boss's first hand.
    bool TakeOrderAndServe(TMClient* client, const std::string& place)
    {
        if (client->GetWantedProduct().empty()) {
            if (!ServeAt(place))
                return false;
            if (!RunUntil([client] { return client->GetState() == 1; }, 10))
                return false;
        }
        GetBoss()->SetFirstHand(client->GetWantedProduct());
        return ServeAt(place);
    }

    [[nodiscard]] std::wstring Day() const { return mGame->GetTextVars()->Get("day"); }
};

ILVANE_THREADED_SUITE(ClientLevelRunTest);

TEST_F(ClientLevelRunTest, ACareerDaysClientsArriveArePaidForAndTheDayEndsWithItsResult)
{
    WriteLevel(2, false, std::string(kClientLevelObjects) + R"(<params normal="50" expert="100"/>
        <events_queue>
            <time_point time="0.5" event="client" type="client01"><param name="1000"/></time_point>
            <time_point time="0.5" event="client" type="client01"><param name="0100"/><param name="sit"/>
                <param name="0010"/></time_point>
        </events_queue>)");
    TMBoard_Game3& board = MakeGameBoard();
    ASSERT_TRUE(StartLevelForTest(2, false));
    ASSERT_NE(GetBoss(), nullptr);
    ASSERT_NE(GetBonusItem(), nullptr);
    EXPECT_EQ(gStandClientPool.size(), 2u);
    EXPECT_FALSE(AnyClientActive());

    ASSERT_TRUE(RunUntil([] { return gClients.size() == 2; }, 100)) << "both arrive from the queue";
    TMClientStand* first = gStandClientsByName.at("client1");
    TMClientStand* second = gStandClientsByName.at("client2");
    TMClientSit* seated = gSitClientsByName.at("client_sit1");
    EXPECT_EQ(first->GetSkin(), "client01");
    EXPECT_EQ(first->GetState(), 1);

    ASSERT_TRUE(TakeOrderAndServe(first, "client_place1"));
    EXPECT_EQ(first->GetState(), 0) << "one product and gone";
    EXPECT_EQ(board.mMoney, 30);

    ASSERT_TRUE(TakeOrderAndServe(second, "client_place2"));
    EXPECT_EQ(second->GetState(), 3);
    ASSERT_TRUE(RunUntil([seated] { return seated->GetState() == 1; }, 10)) << "seated, eaten, wishing again";
    EXPECT_EQ(second->GetState(), 0);
    EXPECT_EQ(seated->GetWantedProduct(), "0010");
    EXPECT_TRUE(AnyClientActive());
    ASSERT_TRUE(TakeOrderAndServe(seated, "client_sit_place1"));
    EXPECT_EQ(board.mMoney, 90);
    EXPECT_TRUE(board.IsGoalSplashShown());
    EXPECT_FALSE(AnyClientActive());
    EXPECT_TRUE(GetBoss()->GetFirstHand().empty());

    ASSERT_TRUE(RunUntilStopped(1000)) << "the last client has left and the queue is through";
    EXPECT_EQ(board.GetLastResult(), 1) << "the goal, not the expert's";
    EXPECT_TRUE(mCareer->mVisible);
    EXPECT_TRUE(fs::exists(PrefPath()));
    TMPref fresh(mGame);
    ASSERT_TRUE(fresh.Load());
    EXPECT_EQ(fresh.GetProfile()->Name(), L"Tester");
}

TEST_F(ClientLevelRunTest, ASurvivalCafesPaidMoneyAdvancesTheDayAndUnservedClientsCostItsLives)
{
    WriteGameLevel(1, true, "", std::string(kClientLevelObjects) + R"(
        <events_queue><templates><order_template name="one">
            <stand prob="1"><order_list prob="1"><order prob="1" name="1000"/></order_list></stand>
        </order_template></templates><stages>
            <stage points="60"><time_point_template prob="1" event="client" type="client01" order_template="one"
                time_min="0.5" time_max="0.5"/></stage>
            <stage points="1000"><time_point_template prob="1" event="client" type="client01" order_template="one"
                time_min="0.5" time_max="0.5"/></stage>
        </stages></events_queue>)");
    TMBoard_Game3& board = MakeGameBoard();
    ASSERT_TRUE(StartLevelForTest(1, true));
    EXPECT_EQ(Day(), L"1");

    for (int served = 0; served < 2; ++served) {
        SCOPED_TRACE(served);
        TMClient* client = nullptr;
        ASSERT_TRUE(RunUntil(
            [&client] {
                for (TMClient* active : gClients) {
                    if (active->GetState() == 1 && dynamic_cast<TMClientStand*>(active))
                        client = active;
                }
                return client != nullptr;
            },
            500));
        ASSERT_TRUE(TakeOrderAndServe(client, client->GetName() == "client1" ? "client_place1" : "client_place2"));
    }
    EXPECT_EQ(board.mMoney, 60);
    EXPECT_EQ(board.GetStageCounter(), 2);
    EXPECT_EQ(Day(), L"2") << "the money goal reached, the next day";

    // Nobody is served any more: every client who runs out of patience costs a life, the fourth ends the cafe.
    EXPECT_EQ(board.GetLives(), 3);
    int angryLeavers = 0;
    for (int frame = 0; frame < 40000 && board.mRunning; ++frame) {
        const std::vector<TMClient*> waiting(gClients.begin(), gClients.end());
        board.Update();
        for (const TMClient* client : waiting)
            angryLeavers += !client->IsRegistered() && !client->IsPatient() ? 1 : 0;
    }
    ASSERT_FALSE(board.mRunning);
    EXPECT_LT(board.GetLives(), 0);
    EXPECT_EQ(angryLeavers, TMBoard_Game3::kSurvivalLives - board.GetLives()) << "one life per angry client";
    EXPECT_EQ(board.mMoney, 60) << "survival books no losses";
    EXPECT_EQ(board.GetLastPlace(), 0);
    EXPECT_TRUE(mHiScores->mVisible);

    TMPref fresh(mGame);
    ASSERT_TRUE(fresh.Load());
    const HiScoreRecord& row = fresh.GetHiScoreTable(true)[0];
    EXPECT_EQ(row.Name(), L"Tester");
    EXPECT_EQ(row.score, 60);
}

} // namespace
