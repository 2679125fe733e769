// The chain bonus: successes in a row raise the counter, stages pay a mini-game part through the game board, a
// failure or the rush timeout breaks the chain, and a configuration without a timeout still runs.
#include "game/TMBonus.h"

#include "tests/game/PlayfieldTestKit.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

using namespace PlayfieldTest;

// Stage 0 draws only coins (kind 0), stage 1 only speed parts (kind 4): the tray shows which stage paid.
constexpr const char* kPartParams = R"(<level><partparams speed="100000" bonus0101="1" bonus0502="1"/></level>)";

class TMBonusTest : public PlayfieldFixture {
protected:
    void SetUp() override
    {
        PlayfieldFixture::SetUp();
        MakeStandardBoard();
        pugi::xml_document level;
        ASSERT_TRUE(level.load_string(kPartParams));
        mMini->LoadParts(level.child("level"));
    }

    void LoadBonus(const char* config)
    {
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(config));
        mBonus.Load(document.child("root"));
    }

    TMBonus mBonus;
};

TEST_F(TMBonusTest, StagesPayFromTheirCounterUntilAHigherStageOrABreak)
{
    LoadBonus(R"(<root><bonus_config rush_timeout="2">
        <bonus_stages action="3" bonus="10"/><bonus_stages action="5" bonus="20"/>
        <bonus_stages action="5" bonus="99"/></bonus_config></root>)");
    ASSERT_EQ(mBonus.GetStages().size(), 3u);
    EXPECT_EQ(mBonus.GetStages()[2].index, 2);

    const std::vector<std::vector<int>> trayAfter = {{}, {}, {0}, {0, 0}, {0, 0, 4}, {0, 0, 4, 4}};
    for (size_t i = 0; i < trayAfter.size(); ++i) {
        SCOPED_TRACE(i + 1);
        mBonus.OnAction(1, nullptr); // no acting object: the part still comes
        EXPECT_EQ(mMini->GetPartKinds(), trayAfter[i]);
    }
    ASSERT_NE(mBonus.GetCurrentStage(), nullptr);
    EXPECT_EQ(mBonus.GetCurrentStage()->bonus, 20) << "of two stages with one action the first is used";

    // A failure breaks the chain: the next success counts 1 and pays nothing.
    mMini->Clear();
    mBonus.OnAction(0, nullptr);
    mBonus.OnAction(1, nullptr);
    EXPECT_EQ(mBonus.GetCounter(), 1);
    EXPECT_EQ(mMini->GetPartCount(), 0);
    // Other kinds change nothing.
    mBonus.OnAction(7, nullptr);
    EXPECT_EQ(mBonus.GetCounter(), 1);
}

TEST_F(TMBonusTest, ASuccessAfterTheRushTimeoutStartsANewChain)
{
    LoadBonus(R"(<root><bonus_config rush_timeout="0.5"><bonus_stages action="2"/></bonus_config></root>)");
    mBonus.OnAction(1, nullptr);
    gFrameDelta = 0.01f;
    for (int i = 0; i < 49; ++i)
        mBonus.Update();
    mBonus.OnAction(1, nullptr);
    EXPECT_EQ(mBonus.GetCounter(), 2) << "within the timeout";
    EXPECT_EQ(mMini->GetPartCount(), 1);
    for (int i = 0; i < 51; ++i) // past 0.5 s however the frames add up
        mBonus.Update();
    EXPECT_EQ(mBonus.GetCounter(), 0);
    EXPECT_EQ(mBonus.GetCurrentStage(), nullptr);
    mBonus.OnAction(1, nullptr);
    EXPECT_EQ(mBonus.GetCounter(), 1);
    EXPECT_EQ(mMini->GetPartCount(), 1) << "the broken chain pays nothing at 1";
}

TEST_F(TMBonusTest, AMissingOrNonPositiveRushTimeoutTakesThreeSeconds)
{
    for (const char* config :
         {R"(<root><bonus_config><bonus_stages action="1"/></bonus_config></root>)",
          R"(<root><bonus_config rush_timeout="0"><bonus_stages action="1"/></bonus_config></root>)", R"(<root/>)"}) {
        SCOPED_TRACE(config);
        mLog.clear();
        LoadBonus(config);
        EXPECT_FLOAT_EQ(mBonus.GetRushTimeout(), TMBonus::kDefaultRushTimeout);
        EXPECT_TRUE(LogHas("rush_timeout"));
    }
    // The loaded stage still pays, and the chain holds until the fallback runs out.
    mBonus.Load(pugi::xml_node());
    LoadBonus(R"(<root><bonus_config><bonus_stages action="1" loc_str="app_title"/></bonus_config></root>)");
    EXPECT_EQ(mBonus.GetStages()[0].text, L"Fixture Cafe");
    mBonus.OnAction(1, nullptr);
    EXPECT_EQ(mMini->GetPartCount(), 1);
    gFrameDelta = 0.5f;
    for (int i = 0; i < 5; ++i)
        mBonus.Update();
    EXPECT_EQ(mBonus.GetCounter(), 1);
    mBonus.Update();
    EXPECT_EQ(mBonus.GetCounter(), 0);
}

} // namespace
