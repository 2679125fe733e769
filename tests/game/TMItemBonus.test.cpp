// The cash pop-ups: idle and hidden after activation, a free part placed at the target's anchor for each payment,
// and nothing shown when there is nothing to show or no part to show it on.
#include "game/TMItemBonus.h"

#include "tests/game/ClientTestKit.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using namespace ClientTest;

class TMItemBonusTest : public ClientSceneFixture {
protected:
    void SetUp() override
    {
        ClientSceneFixture::SetUp();
        LoadScene();
        mBonus = GetBonusItem();
        ASSERT_NE(mBonus, nullptr);
        mTarget = TMItem::FindByName("client1");
    }

    TMItemBonus* mBonus = nullptr;
    TMItem* mTarget = nullptr;
};

TEST_F(TMItemBonusTest, CashCaptionsAlwaysShowTheSign)
{
    const struct {
        int amount;
        const wchar_t* caption;
    } cases[] = {{5, L"$+5"}, {-5, L"$-5"}, {1234, L"$+1234"}, {INT_MIN, L"$-2147483648"}};
    for (const auto& c : cases)
        EXPECT_EQ(TMItemBonus::CashCaption(c.amount), c.caption) << c.amount;
}

TEST_F(TMItemBonusTest, ActivationLeavesEveryPartIdleCaptionedAndHidden)
{
    EXPECT_TRUE(mBonus->IsVisible());
    for (const auto& part : mBonus->GetParts()) {
        SCOPED_TRACE(part->GetName());
        EXPECT_EQ(part->GetCurrentAnimation(), "idle");
        EXPECT_TRUE(part->HasCaption());
        EXPECT_FALSE(part->IsVisible());
    }
    EXPECT_EQ(mBonus->FirstFreePart("cash"), mBonus->FindPart("cash", 0));
    EXPECT_EQ(mBonus->FirstFreePart("nothing"), nullptr);
}

TEST_F(TMItemBonusTest, APaymentShowsAtTheTargetsCashPart)
{
    mBonus->ShowAmount(TMItemBonus::kCash, mTarget, 5, L"");
    TMItemPart* shown = mBonus->FindPart("cash", 0);
    EXPECT_TRUE(shown->IsVisible());
    // The anchor's offset (10, -40) + the target's position (100, 50) and offset (2, 3).
    EXPECT_EQ(shown->mOffsX, 112);
    EXPECT_EQ(shown->mOffsY, 13);
    EXPECT_EQ(shown->mScalePointX, 7);
    EXPECT_EQ(shown->mScalePointY, 8);
    EXPECT_EQ(mBonus->FirstFreePart("cash"), mBonus->FindPart("cash", 1));

    mBonus->ShowAmount(TMItemBonus::kBonusText, mTarget, 1, L"Chain!");
    EXPECT_TRUE(mBonus->FindPart("bonus")->IsVisible());
    EXPECT_EQ(VisibleParts("cash"), 1);
}

TEST_F(TMItemBonusTest, NothingIsShownWithoutAmountTargetAnchorOrFreePart)
{
    TMItem* noAnchor = TMItem::FindByName("client_place1");
    const struct {
        const char* name;
        TMItem* target;
        int amount;
    } cases[] = {{"amount 0", mTarget, 0}, {"no target", nullptr, 5}, {"no anchor part", noAnchor, 5}};
    for (const auto& c : cases) {
        mBonus->ShowAmount(TMItemBonus::kCash, c.target, c.amount, L"");
        EXPECT_EQ(VisibleParts("cash"), 0) << c.name;
    }
    mBonus->ShowAmount(TMItemBonus::kBonusText, TMItem::FindByName("client2"), 3, L"x");
    EXPECT_EQ(VisibleParts("bonus"), 0) << "the target has no part \"bonus\"";
}

TEST_F(TMItemBonusTest, PaymentsTakeFreePartsInTurnAndReuseThemOnceHidden)
{
    mBonus->ShowAmount(TMItemBonus::kCash, mTarget, 5, L"");
    mBonus->ShowAmount(TMItemBonus::kCash, mTarget, -5, L"");
    EXPECT_TRUE(mBonus->FindPart("cash", 0)->IsVisible());
    EXPECT_TRUE(mBonus->FindPart("cash", 1)->IsVisible()) << "two payments in one frame, two parts";
    mBonus->ShowAmount(TMItemBonus::kCash, mTarget, 7, L"");
    mBonus->ShowAmount(TMItemBonus::kCash, mTarget, 8, L"");
    EXPECT_EQ(VisibleParts("cash"), 3) << "every part busy: the fourth is not shown";
    EXPECT_EQ(mBonus->FirstFreePart("cash"), nullptr);

    mBonus->FindPart("cash", 1)->SetVisible(false);
    mBonus->ShowAmount(TMItemBonus::kCash, TMItem::FindByName("client2"), 9, L"");
    EXPECT_TRUE(mBonus->FindPart("cash", 1)->IsVisible()) << "reused once hidden";
    EXPECT_EQ(mBonus->FindPart("cash", 1)->mOffsX, 0) << "placed at its new target";
}

} // namespace
