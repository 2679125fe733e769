// Item parts: sequence names from part, skin, orientation and animation; the mirror rule; and what a part draws,
// checked by pixels on a surface image of the DirectDraw stand-in (mirrored frames, scaling about a point, the
// fill level, the highlight, captions), plus afterimages and the z-order data it reads.
#include "engine/TMItemPart.h"

#include "engine/TMItem.h"
#include "graphics/Graphics.h"
#include "tests/engine/SceneTestKit.h"
#include "tests/graphics/DDImageDrawTestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

/// One item at (0, 0) with one part loaded from the element, on a display whose target the part draws into.
class TMItemPartDraw : public SurfaceDrawTest::Fixture {
protected:
    void TearDown() override
    {
        // Parts hold images of the application, which the display fixture deletes.
        mParts.clear();
        mItem.reset();
        SurfaceDrawTest::Fixture::TearDown();
    }

    TMItemPart& MakePart(const char* element)
    {
        const XmlText xml(element);
        mItem = std::make_unique<TMItem>();
        mItem->mPresent = true;
        auto part = std::make_unique<TMItemPart>(mItem.get());
        part->Load(xml.Root());
        mPart = part.get();
        mParts.push_back(std::move(part));
        return *mPart;
    }

    /// Starts the animation and gives every sequence the sheet: the pixels row after row.
    void Play(const std::string& animation, int width, int height, const std::vector<uint32_t>& pixels)
    {
        ASSERT_NE(mPart->GetPlayer(), nullptr);
        ASSERT_TRUE(mPart->PlayAnimation(animation, false));
        for (AnmSequence& sequence : mPart->GetPlayer()->GetData()->mSequences) {
            sequence.image = Source(width, height, pixels).release();
            sequence.imageRequested = true;
        }
    }

    void Draw()
    {
        Pyxo::Graphics g(mTarget.get());
        g.SetFastStretch(true);
        mPart->Draw(&g);
    }

    /// The target's pixel without the unused top byte.
    [[nodiscard]] uint32_t Pixel(int x, int y) const { return At(x, y) & 0xFFFFFF; }
    [[nodiscard]] std::vector<uint32_t> Colors(int y) const
    {
        std::vector<uint32_t> row;
        for (int x = 0; x < mTarget->GetWidth(); ++x)
            row.push_back(Pixel(x, y));
        return row;
    }

    ScratchFolder mScratch;
    std::unique_ptr<TMItem> mItem;
    std::vector<std::unique_ptr<TMItemPart>> mParts;
    TMItemPart* mPart = nullptr;
};

TEST_F(TMItemPartDraw, MirroredFramesLandAtSequenceWidthLessOffsetLessFrameWidth)
{
    // Frame 4 x 1 drawn 1 to the right in a sequence 10 wide: plain at x 1..4, mirrored at 10 - 1 - 4 = 5.
    mScratch.WriteAnm("body", {{"sheet", "bodyrwalk", 10, 0, 0, {{0, 0, 4, 1, 1, 0}}}});
    const struct {
        const char* orientation;
        std::vector<uint32_t> row;
    } cases[] = {
        {"r", {0, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0}},
        {"mr", {0, 0, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        MakeTarget(SurfaceDrawTest::kX888, 12, 1, 0);
        MakePart(R"(<part name="body"/>)");
        mPart->SetOrientation(c.orientation, false);
        Play("walk", 4, 1, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004});
        Draw();
        EXPECT_EQ(Colors(0), c.row);
    }
}

TEST_F(TMItemPartDraw, AMirroredFrameBeyondTheCoordinateRangeDrawsNothing)
{
    // Mirrored, the frame lands at 2147483647 - (-2147483647) - 4, beyond 32 bits: held at the limit, far off the
    // target, rather than wrapped.
    mScratch.WriteAnm("body", {{"sheet", "bodyrwalk", INT32_MAX, 0, 0, {{0, 0, 4, 1, -INT32_MAX, 0}}}});
    MakeTarget(SurfaceDrawTest::kX888, 12, 1, 0);
    MakePart(R"(<part name="body"/>)");
    mPart->SetOrientation("mr", false);
    Play("walk", 4, 1, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004});
    Draw();
    EXPECT_EQ(Colors(0), std::vector<uint32_t>(12, 0));
}

TEST_F(TMItemPartDraw, ScalingIsAboutThePointAndIgnoresTinyChanges)
{
    // A 2 x 2 frame at x 4; the scale point is the part's (2, 0) plus the effect's (1, 0).
    mScratch.WriteAnm("lid", {{"sheet", "lidopen", 2, 0, 0, {{0, 0, 2, 2, 4, 0}}}});
    const struct {
        float scale;
        std::vector<uint32_t> row;
    } cases[] = {
        {1.0f, {0, 0, 0, 0, 9, 9, 0, 0, 0, 0}},
        {1.005f, {0, 0, 0, 0, 9, 9, 0, 0, 0, 0}}, // below the threshold: drawn unscaled
        // x' = trunc(4 + 3 x (1 - 2)) = 1, width 4.
        {2.0f, {0, 9, 9, 9, 9, 0, 0, 0, 0, 0}},
        // x' = trunc(4 + 3 x 0.5) = 5, width and height trunc(2 x 0.5) = 1.
        {0.5f, {0, 0, 0, 0, 0, 9, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        MakeTarget(SurfaceDrawTest::kX888, 10, 2, 0);
        MakePart(R"(<part name="lid" scale_point_x="2"/>)");
        mPart->mEffectScalePoint = {1, 0};
        mPart->SetScale(c.scale);
        Play("open", 2, 2, std::vector<uint32_t>(4, 0xFF000009));
        Draw();
        EXPECT_EQ(Colors(0), c.row);
    }
}

TEST_F(TMItemPartDraw, TheFillLevelDrawsOnlyTheBottomRowsInTheirPlace)
{
    mScratch.WriteAnm("cup", {{"sheet", "cupfull", 1, 0, 0, {{0, 0, 1, 4, 0, 0}}}});
    const struct {
        bool enabled;
        float level;
        std::vector<uint32_t> column;
    } cases[] = {
        {false, 0.0f, {1, 2, 3, 4}}, {true, 1.0f, {1, 2, 3, 4}}, {true, 0.4f, {0, 0, 3, 4}}, // round(1.6) rows
        {true, 0.3f, {0, 0, 0, 4}},  {true, 0.0f, {0, 0, 0, 0}}, {true, 7.0f, {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        MakeTarget(SurfaceDrawTest::kX888, 1, 4, 0);
        MakePart(R"(<part name="cup"/>)");
        mPart->mFillEnabled = c.enabled;
        mPart->mFillLevel = c.level;
        Play("full", 1, 4, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004});
        Draw();
        EXPECT_EQ((std::vector<uint32_t>{Pixel(0, 0), Pixel(0, 1), Pixel(0, 2), Pixel(0, 3)}), c.column);
    }
}

TEST_F(TMItemPartDraw, TheMouseOverDrawsTheFrameAgainBrighter)
{
    mScratch.WriteAnm("box", {{"sheet", "boxidle", 1, 0, 0, {{0, 0, 1, 1, 0, 0}}}});
    MakeTarget(SurfaceDrawTest::kX888, 1, 1, 0);
    MakePart(R"(<part name="box"/>)");
    Play("idle", 1, 1, {0xFF101010});
    Draw();
    EXPECT_EQ(Pixel(0, 0), 0x101010u);

    MakeTarget(SurfaceDrawTest::kX888, 1, 1, 0);
    mItem->SetMouseOver({0, 0}, true);
    Pyxo::Graphics g(mTarget.get());
    g.SetColor(Pyxo::Color(1, 2, 3, 4));
    mPart->Draw(&g);
    const uint32_t lit = Pixel(0, 0);
    EXPECT_GT(lit & 0xFF, 0x10u);
    EXPECT_EQ((lit >> 16) & 0xFF, lit & 0xFF) << "white light";
    EXPECT_EQ(g.GetColor().mAlpha, 4) << "colour, mode and colourising restored";
    EXPECT_EQ(g.GetDrawMode(), 0);
    EXPECT_FALSE(g.GetColorize());
}

TEST_F(TMItemPartDraw, AnEmptyCaptionGivesTheAnimationBack)
{
    mScratch.WriteAnm("cash", {{"sheet", "cashidle", 1, 0, 0, {{0, 0, 1, 1, 0, 0}}}});
    MakeTarget(SurfaceDrawTest::kX888, 2, 1, 0);
    MakePart(R"(<part name="cash"/>)");
    Play("idle", 1, 1, {0xFF000005});
    mPart->SetText(L"12$", 2, 1);
    EXPECT_TRUE(mPart->HasCaption());
    Draw();
    EXPECT_EQ(Pixel(0, 0), 0u) << "the caption (no font: an empty image) instead of the frame";

    mPart->SetText(L"", 0, 0);
    EXPECT_FALSE(mPart->HasCaption());
    Draw();
    EXPECT_EQ(Pixel(0, 0), 5u);
}

TEST_F(TMItemPartDraw, AfterimagesAgeOutAndAHiddenPartDrawsNothing)
{
    mScratch.WriteAnm("boss", {{"sheet", "bosswalk", 1, 0, 0, {{0, 0, 1, 1, 0, 0}}}});
    MakeTarget(SurfaceDrawTest::kX888, 3, 1, 0);
    MakePart(R"(<part name="boss"/>)");
    Play("walk", 1, 1, {0xFF0000FF});
    mItem->mPosX = 2;
    mPart->RecordAfterimage();
    ASSERT_EQ(mPart->GetAfterimages().size(), 1u);
    EXPECT_EQ(mPart->GetAfterimages().front().x, 2);
    EXPECT_EQ(mPart->GetAfterimages().front().life, 70.0f);
    mItem->mPosX = 0;
    Draw();
    EXPECT_EQ(Pixel(0, 0), 0xFFu);
    EXPECT_GT(Pixel(2, 0), 0x40u) << "the trail at alpha life / 255";
    EXPECT_LT(Pixel(2, 0), 0x50u);

    // Aged by 600 per second: still there after 0.11 seconds, gone after 0.12.
    for (int i = 0; i < 11; ++i)
        mPart->AgeAfterimages(600.0f * 0.01f);
    EXPECT_EQ(mPart->GetAfterimages().size(), 1u);
    mPart->AgeAfterimages(600.0f * 0.01f);
    EXPECT_TRUE(mPart->GetAfterimages().empty());

    MakeTarget(SurfaceDrawTest::kX888, 3, 1, 0);
    mItem->SetVisible(false);
    Draw();
    EXPECT_EQ(Colors(0), (std::vector<uint32_t>{0, 0, 0}));
}

class TMItemPartTest : public SceneFixture {};

TEST_F(TMItemPartTest, OrientationsStartingWithMAreMirrored)
{
    TMItem item;
    TMItemPart part(&item);
    const struct {
        const char* given;
        const char* stored;
        bool mirror;
    } cases[] = {
        {"mtl", "tl", true}, {"mbr", "br", true}, {"mtr", "tr", true}, {"mbl", "bl", true},
        {"mr", "r", true},   {"ml", "ml", true},  {"tl", "tl", false}, {"", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        part.SetOrientation(c.given, false);
        EXPECT_EQ(part.GetOrientation(), c.stored);
        EXPECT_EQ(part.IsMirrored(), c.mirror);
    }
    part.SetOrientation("mtl", false);
    part.SetOrientation("", false);
    EXPECT_TRUE(part.IsMirrored()) << "an empty orientation leaves the mirror as it was";
}

TEST_F(TMItemPartTest, SequenceNamesJoinPartSkinOrientationAndAnimation)
{
    mScratch.WriteAnm("tray", {{"s", "traygoldtlidle", 1, 0, 0, {{0, 0, 1, 1, 0, 0}}}});
    mScratch.WriteAnm("checkmark", {{"s", "checkmarkgoldidle", 1, 0, 0, {{0, 0, 1, 1, 0, 0}}}});
    const XmlText scene(R"(<scene><objects><object class="item" name="t" orient="mtl">
        <part name="tray"><exchange_skin from="silver" to="none"/><exchange_skin from="silver" to="gold"/></part>
        <part name="checkmark"/>
    </object></objects></scene>)");
    LoadLevelObjects(scene.Root());
    TMItem* item = gItems.front();
    item->SetSkin("silver", true);
    EXPECT_EQ(item->GetSkin(), "silver");
    EXPECT_EQ(item->FindPart("tray")->GetSkin(), "gold") << "the later exchange of a skin wins";
    item->SetSkin("gold", false);
    EXPECT_TRUE(item->ApplyAnimation("idle", nullptr));
    EXPECT_EQ(item->GetCurrentAnimation(), "idle");

    TMItemPart* tray = item->FindPart("tray");
    TMItemPart* checkmark = item->FindPart("checkmark");
    EXPECT_EQ(tray->SequenceName("idle"), "traygoldtlidle");
    EXPECT_TRUE(tray->IsMirrored());
    EXPECT_EQ(checkmark->SequenceName("idle"), "checkmarkgoldidle") << "a checkmark has no orientation";
    EXPECT_EQ(checkmark->GetCurrentAnimation(), "idle");
    EXPECT_EQ(tray->GetPlayer()->GetState(), AnimPlayer::Playing);

    // An animation no part has: nothing starts, the item keeps its animation.
    EXPECT_FALSE(item->ApplyAnimation("dance", nullptr));
    EXPECT_EQ(item->GetCurrentAnimation(), "idle");
    EXPECT_FALSE(tray->PlayAnimation("", false));
}

TEST_F(TMItemPartTest, DepthDataAndTheParentPart)
{
    const XmlText scene(R"(<scene><objects>
        <object class="item" name="desk" pos_x="10" offs_x="1" pos_y="20" offs_y="2">
            <part name="top" offs_x="5" offs_y="6" parent_z="chair:seat" order0_x="1" order0_y="2" order2_x="5" order2_y="-6"/>
            <part name="lamp" zover="1" parent_z="chair:seat" order0_x="1"/>
            <part name="bad" parent_z="chair"/>
        </object>
        <object class="item" name="chair"><part name="seat"/></object>
    </objects></scene>)");
    LoadLevelObjects(scene.Root());
    TMItem* desk = TMItem::FindByName("desk");
    TMItemPart* top = desk->FindPart("top");
    TMItemPart* lamp = desk->FindPart("lamp");
    EXPECT_EQ(top->GetPosition().x, 16);
    EXPECT_EQ(top->GetPosition().y, 28);
    EXPECT_FALSE(top->mOwnDepth);
    EXPECT_EQ(top->mOrderPoints[0].x, 1);
    EXPECT_EQ(top->mOrderPoints[0].y, 2);
    EXPECT_EQ(top->mOrderPoints[1].x, 0);
    EXPECT_EQ(top->mOrderPoints[2].y, -6);
    EXPECT_EQ(top->GetParentPart(), TMItem::FindByName("chair")->FindPart("seat"));

    EXPECT_TRUE(lamp->mOwnDepth);
    EXPECT_EQ(lamp->mParentZ, "") << "a part placed by itself reads no parent";
    EXPECT_EQ(lamp->mOrderPoints[0].x, 0);
    EXPECT_EQ(lamp->GetParentPart(), nullptr);
    EXPECT_EQ(desk->FindPart("bad")->GetParentPart(), nullptr);
}

TEST_F(TMItemPartTest, ReleasedImagesAreRequestedAgain)
{
    mScratch.WriteAnm("sign", {{"images\\sign.png", "signon", 1, 0, 0, {{0, 0, 1, 1, 0, 0}}},
                               {"images\\sign.png", "signoff", 1, 0, 0, {{0, 0, 1, 1, 0, 0}}}});
    TMItem item;
    TMItemPart part(&item);
    const XmlText xml(R"(<part name="sign"/>)");
    part.Load(xml.Root());
    ASSERT_TRUE(part.AcquireSkinImages());
    for (const AnmSequence& sequence : part.GetPlayer()->GetData()->mSequences)
        EXPECT_TRUE(sequence.imageRequested);
    part.ReleaseImages();
    for (const AnmSequence& sequence : part.GetPlayer()->GetData()->mSequences)
        EXPECT_FALSE(sequence.imageRequested);

    TMItemPart missing(&item);
    const XmlText none(R"(<part name="nofile"/>)");
    missing.Load(none.Root());
    EXPECT_EQ(missing.GetPlayer(), nullptr);
    EXPECT_FALSE(missing.AcquireSkinImages());
    EXPECT_FALSE(missing.PlayAnimation("on", false));
}

} // namespace
