// The level's briefing card over the game board: what it shows for a career day and a survival cafe, the picture's
// fallback, the one pause it holds and the start button that closes it.
#include "game/TMBoard_Briefing.h"

#include "engine/TMLocTable.h"
#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "engine/TextVars.h"
#include "engine/TextureTable.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace GameTest;

constexpr const char* kUi = R"(<root>
  <element type="tmdialog" name="briefing_dialog" x="140" y="60" width="520" height="480">
    <element type="tmtext" name="picture" x="24" y="66" width="200" height="150" visible="true">
      <texture id="normal" texture="none"/>
    </element>
    <element type="tmtext" name="goal_text" x="24" y="262" width="472" height="26" visible="true"/>
    <element type="tmtext" name="expert_text" x="24" y="292" width="472" height="26" visible="true"/>
    <element type="tmtext" name="settings_text" x="24" y="326" width="472" height="64" visible="true"/>
    <element type="tmbutton" name="start" x="180" y="408" width="160" height="44" visible="true"/>
  </element>
</root>)";

constexpr const char* kLoc = R"(<root>
  <loc id="app_title" text="Fixture Cafe"/>
  <loc id="mn04_goal" text="Goal"/>
  <loc id="mn04_expert" text="Expert"/>
  <loc id="mn04_ready" text="Ready"/>
  <loc id="mn04_endless_goal" text="Endless goal"/>
  <loc id="mn04_endless_expert" text="Endless expert"/>
  <loc id="mn04_endless_ready" text="Endless ready"/>
  <loc id="breif_text_l07" text="Day seven"/>
  <loc id="breif_text_l36" text="A new cafe"/>
  <loc id="ebreif_text_l02" text="Second cafe, no end"/>
  <loc id="0" text="zero"/>
  <loc id="1" text="one"/>
  <loc id="2" text="two"/>
  <loc id="3" text="three"/>
  <loc id="7" text="seven"/>
</root>)";

class TMBoard_BriefingTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        WriteGameConfig(mFolder, "");
        WriteXml(mFolder / "cfg" / "loc.xml", kLoc);
        ASSERT_TRUE(mGame->GetLocTable()->Load());
        fs::create_directories(mFolder / "images");
        for (const char* name : {"briefing_00", "briefing_07", "ebriefing_02"}) {
            ImageLib::Image picture(4, 4);
            ASSERT_TRUE(ImageLib::WritePNGImage((mFolder / "images" / (std::string(name) + ".png")).string(), picture));
        }
        pugi::xml_document textures;
        ASSERT_TRUE(textures.load_string(R"(<root>
            <texture id="briefing_00" file="images\briefing_00.png"/>
            <texture id="briefing_07" file="images\briefing_07.png"/>
            <texture id="ebriefing_02" file="images\ebriefing_02.png"/></root>)"));
        mGame->GetTextureTable()->Load(textures.child("root"));
        MakeGameBoard(kUi);
        mBriefing = mGameBoard->GetBriefing();
        ASSERT_NE(mBriefing, nullptr);
    }

    /// The texture record the picture control shows.
    TextureRecord* PictureRecord()
    {
        auto* picture = dynamic_cast<TMText*>(mBriefing->FindChild("picture"));
        TMTexture* set = picture ? picture->GetNormalTextureSet() : nullptr;
        return set && !set->mFrames.empty() ? set->mFrames.front().GetRecord() : nullptr;
    }

    std::wstring Var(const std::string& name) { return mGame->GetTextVars()->Get(name); }

    TMBoard_Briefing* mBriefing = nullptr;
};

TEST_F(TMBoard_BriefingTest, TheCardShowsTheLevelsTextsPictureCafeAndDay)
{
    const struct {
        int level;
        bool survival;
        const char* picture;
        const char* texture; // what the picture control gets
        const wchar_t* intro;
        const wchar_t* goal;
        const wchar_t* expert;
        const wchar_t* settings;
        const wchar_t* cafe;
        const wchar_t* day;
    } cases[] = {
        {7, false, "briefing_07", "briefing_07", L"Day seven", L"Goal", L"Expert", L"Ready", L"one", L"seven"},
        {36, false, "briefing_36", "briefing_00", L"A new cafe", L"Goal", L"Expert", L"Ready", L"three", L"one"},
        // Survival: the cafe is the level itself and the day the stage reached, not the career split of level 2.
        {2, true, "ebriefing_02", "ebriefing_02", L"Second cafe, no end", L"Endless goal", L"Endless expert",
         L"Endless ready", L"two", L"zero"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        mGameBoard->mLevel = c.level;
        mGameBoard->mSurvival = c.survival;
        mBriefing->Show();
        EXPECT_TRUE(mBriefing->mVisible);
        EXPECT_EQ(mBriefing->GetPictureName(), c.picture);
        EXPECT_EQ(PictureRecord(), mGame->GetTextureTable()->Find(c.texture).GetRecord());
        EXPECT_EQ(Var("level_briefing"), c.intro);
        EXPECT_EQ(mBriefing->mGoalText->GetText(), c.goal);
        EXPECT_EQ(mBriefing->mExpertText->GetText(), c.expert);
        EXPECT_EQ(mBriefing->mSettingsText->GetText(), c.settings);
        EXPECT_EQ(Var("cafe"), c.cafe);
        EXPECT_EQ(Var("currentcafe"), c.cafe);
        EXPECT_EQ(Var("day"), c.day);
        EXPECT_EQ(Var("currentday"), c.day);
        mBriefing->Hide();
    }

    // A number the localisation lacks is shown as the number.
    mGameBoard->mLevel = 24;
    mGameBoard->mSurvival = false;
    mBriefing->Show();
    EXPECT_EQ(Var("cafe"), L"two");
    EXPECT_EQ(Var("day"), L"9");
    mBriefing->Hide();
}

TEST_F(TMBoard_BriefingTest, TheCardHoldsOnePauseWhichOnlyItsOwnCloseGivesBack)
{
    mGameBoard->mLevel = 3;
    mBriefing->Show();
    EXPECT_EQ(mGameBoard->mPauseCount, 1);
    mBriefing->Show(); // shown again while open: still one pause
    EXPECT_EQ(mGameBoard->mPauseCount, 1);
    mBriefing->Hide();
    EXPECT_EQ(mGameBoard->mPauseCount, 0);

    // Another screen's pause survives a Hide of the closed card.
    mGameBoard->Pause();
    mBriefing->Hide();
    EXPECT_EQ(mGameBoard->mPauseCount, 1);
    mGameBoard->Resume();
}

TEST_F(TMBoard_BriefingTest, TheStartButtonClosesTheCardAndResumesTheBoard)
{
    mGameBoard->mLevel = 3;
    mBriefing->Show();
    ASSERT_NE(mBriefing->mStartButton, nullptr);
    mBriefing->OnControl(reinterpret_cast<intptr_t>(mBriefing->FindChild("goal_text")));
    EXPECT_TRUE(mBriefing->mVisible) << "other controls do nothing";
    mBriefing->ButtonRelease(reinterpret_cast<intptr_t>(mBriefing->mStartButton));
    EXPECT_FALSE(mBriefing->mVisible);
    EXPECT_EQ(mGameBoard->mPauseCount, 0);
}

TEST_F(TMBoard_BriefingTest, AMissingControlIsLoggedAndTheCardStillWorks)
{
    MakeGameBoard(R"(<root><element type="tmdialog" name="briefing_dialog" width="10" height="10"/></root>)");
    TMBoard_Briefing* bare = mGameBoard->GetBriefing();
    EXPECT_TRUE(LogHas("briefing_dialog: no control \"start\""));
    EXPECT_TRUE(LogHas("briefing_dialog: no control \"goal_text\""));
    mGameBoard->mLevel = 5;
    bare->Show();
    EXPECT_EQ(mGameBoard->mPauseCount, 1);
    EXPECT_EQ(bare->GetPictureName(), "briefing_05");
    bare->Hide();
    EXPECT_EQ(mGameBoard->mPauseCount, 0);
}

} // namespace
