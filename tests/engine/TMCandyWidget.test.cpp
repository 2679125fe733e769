// The engine widget base: placement through the world matrix and the cached screen bounds, activation of the
// texture sets along the visible tree, showing and hiding through the effect, and drawing the normal set.
#include "engine/TMCandyWidget.h"

#include "engine/EffectLibrary.h"
#include "engine/TMEffect.h"
#include "engine/TMTexture.h"
#include "engine/TMTimer.h"
#include "engine/TextureTable.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

/// Counts its hooks and what they saw.
class ProbeWidget : public TMCandyWidget {
public:
    using TMCandyWidget::TMCandyWidget;
    void OnShow() override { ++shows; }
    void OnHide() override
    {
        ++hides;
        visibleAtHide = mVisible;
    }
    int shows = 0;
    int hides = 0;
    bool visibleAtHide = false;
};

int MakeVisible(EffectCallRecord* call)
{
    call->owner->GetTarget()->SetVisible(true);
    return 1;
}

int MakeHidden(EffectCallRecord* call)
{
    call->owner->GetTarget()->SetVisible(false);
    return 1;
}

/// Writes a size x size PNG of one colour.
void WritePng(const fs::path& path, int size, uint32_t argb)
{
    ImageLib::Image image(size, size);
    std::fill(image.GetBits(), image.GetBits() + size * size, argb);
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(ImageLib::WritePNGImage(path.string(), image));
}

class TMCandyWidgetTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        RegisterEffectFunction("TestMakeVisible", &MakeVisible);
        RegisterEffectFunction("TestMakeHidden", &MakeHidden);
        WritePng(mFolder / "images" / "red.png", 8, 0xFFFF0000);
        WritePng(mFolder / "images" / "blue.png", 8, 0xFF0000FF);
        WriteXml(mFolder / "cfg" / "effect.xml", R"(<effects>
  <effect name="slide">
    <timers>
      <timer name="in" type="usual" ftime="0.5"><control id="1" type="point" starttime="0.5" function="TestMakeVisible"/></timer>
      <timer name="out" type="usual" ftime="0.5"><control id="1" type="point" starttime="0.5" function="TestMakeHidden"/></timer>
    </timers>
    <messages>
      <message name="onshow" timer_id="in" command="start"/>
      <message name="onshow" timer_id="out" command="stop"/>
      <message name="onhide" timer_id="out" command="start"/>
      <message name="onhide" timer_id="in" command="stop"/>
    </messages>
  </effect>
  <effect name="showonly">
    <timers><timer name="in" type="usual" ftime="1"/></timers>
    <messages><message name="onshow" timer_id="in" command="start"/></messages>
  </effect>
</effects>)");
        mEngine = &MakeEngine();
        mEngine->mUpdateInterval = 250; // a quarter second per update
        ASSERT_TRUE(LoadEffectLibrary());
        pugi::xml_document textures;
        ASSERT_TRUE(textures.load_string(R"(<root>
            <texture id="red" file="images\red.png"/><texture id="blue" file="images\blue.png"/></root>)"));
        mEngine->GetTextureTable()->Load(textures.child("root"));
    }
    void TearDown() override
    {
        FreeEffectLibrary();
        EngineFixture::TearDown();
    }

    /// A widget read from one element of the interface description.
    template <class W = ProbeWidget>
    std::unique_ptr<W> Load(const char* element, TMCandyWidget* parent = nullptr)
    {
        pugi::xml_document document;
        EXPECT_TRUE(document.load_string(element));
        auto widget = std::make_unique<W>(parent);
        widget->LoadCommon(document.first_child());
        return widget;
    }

    /// A frame set of one texture, not acquired.
    TMTexture* Texture(const char* id, int size = 8)
    {
        auto* texture = new TMTexture();
        texture->SetFrame(mEngine->GetTextureTable()->Find(id));
        texture->SetRect(0, 0, size, size);
        return texture;
    }

    static uint32_t Count(TMTexture* texture) { return texture->mFrames[0].GetRecord()->referenceCount; }

    EngineApp* mEngine = nullptr;
};

TEST_F(TMCandyWidgetTest, LoadCommonReadsTheSharedAttributes)
{
    auto widget = Load(R"(<w x="1" y="2" width="30" height="40" visible="true" has_alpha="0" mousevisible="0"
                             effect="slide" scalepointx="7"/>)");
    EXPECT_EQ(widget->GetRect(), Pyxo::Rect(1, 2, 30, 40));
    EXPECT_EQ(widget->mLayoutRect, Pyxo::Rect(1, 2, 30, 40));
    EXPECT_TRUE(widget->mVisible);
    EXPECT_FALSE(widget->mHasAlpha);
    EXPECT_FALSE(widget->mMouseVisible);
    EXPECT_EQ(widget->mScalePointX, 7);
    EXPECT_EQ(widget->mScalePointY, 0);
    TMEffect* effect = widget->GetEffect();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->GetParam(3), &widget->mOffsetX);
    EXPECT_EQ(effect->GetParam(5), &widget->mScalePointX);
    EXPECT_EQ(effect->GetParam(6), static_cast<TMCandyWidget*>(widget.get()));
    EXPECT_EQ(effect->GetTarget(), static_cast<TMIEffect*>(widget.get()));

    auto plain = Load(R"(<w effect="no_such_effect"/>)");
    EXPECT_FALSE(plain->mVisible) << "engine widgets start hidden";
    EXPECT_TRUE(plain->mHasAlpha);
    EXPECT_EQ(plain->GetEffect(), nullptr);
    EXPECT_FALSE(plain->SendEffectMessage("onshow"));
}

TEST_F(TMCandyWidgetTest, ScreenBoundsFollowTheWorldMatrixAndTheParent)
{
    struct Case {
        const char* name;
        Pyxo::Rect parent;
        Pyxo::Rect child;
        float scale;
        Pyxo::Point scalePoint;
        Pyxo::Rect expected;
    };
    const Case kCases[] = {
        {"scaled about its scale point",
         {0, 0, 800, 600},
         {300, 250, 200, 100},
         2.0f,
         {400, 300},
         {200, 200, 400, 200}},
        {"placed in its parent", {100, 100, 200, 200}, {10, 10, 50, 50}, 1.0f, {0, 0}, {110, 110, 50, 50}},
        {"cut by its parent", {0, 0, 100, 100}, {90, 80, 20, 40}, 1.0f, {0, 0}, {90, 80, 10, 20}},
        {"outside its parent", {0, 0, 100, 100}, {200, 200, 10, 10}, 1.0f, {0, 0}, {0, 0, 0, 0}},
        {"half size", {0, 0, 800, 600}, {0, 0, 100, 50}, 0.5f, {0, 0}, {0, 0, 50, 25}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TMCandyWidget parent(nullptr);
        parent.Resize(c.parent.mX, c.parent.mY, c.parent.mWidth, c.parent.mHeight);
        auto* child = new TMCandyWidget(&parent);
        parent.AddChild("child", child);
        child->Resize(c.child.mX, c.child.mY, c.child.mWidth, c.child.mHeight);
        child->SetScale(c.scale);
        child->SetScalePointX(c.scalePoint.mX);
        child->SetScalePointY(c.scalePoint.mY);
        EXPECT_EQ(child->GetScreenBounds(), c.expected);
    }

    TMCandyWidget corner(nullptr);
    corner.Resize(700, 500, 200, 200);
    EXPECT_EQ(corner.GetClippedScreenRect(nullptr), Pyxo::Rect(700, 500, 100, 100));
    const Pyxo::Rect given(-10, -10, 20, 20);
    EXPECT_EQ(corner.GetClippedScreenRect(&given), Pyxo::Rect(0, 0, 10, 10));

    corner.SetOffsetX(50); // an effect moves the widget: the cache holds until the layout is invalidated
    EXPECT_EQ(corner.GetScreenBounds(), Pyxo::Rect(700, 500, 200, 200));
    corner.InvalidateLayout();
    EXPECT_EQ(corner.GetScreenBounds(), Pyxo::Rect(750, 500, 200, 200));
    corner.Move(10, 20);
    EXPECT_EQ(corner.GetScreenBounds(), Pyxo::Rect(60, 20, 200, 200)) << "Move keeps the size and re-lays out";
}

TEST_F(TMCandyWidgetTest, TexturesAreHeldWhileTheWidgetAndItsAncestorsAreVisible)
{
    TMCandyWidget parent(nullptr);
    auto* child = new TMCandyWidget(&parent);
    parent.AddChild("child", child);
    TMTexture* parentSet = Texture("red");
    TMTexture* childSet = Texture("blue");
    parent.AddTexture(0, parentSet);
    child->AddTexture(0, childSet);

    child->Show();
    EXPECT_TRUE(child->mVisible);
    EXPECT_EQ(Count(childSet), 0u) << "a hidden parent keeps the child inactive";
    parent.Show();
    EXPECT_EQ(Count(parentSet), 1u);
    EXPECT_EQ(Count(childSet), 1u) << "showing the parent activates its visible child";
    child->Hide();
    EXPECT_EQ(Count(childSet), 0u);
    EXPECT_EQ(Count(parentSet), 1u);
    child->Show();
    EXPECT_EQ(Count(childSet), 1u);
    parent.Hide();
    EXPECT_EQ(Count(parentSet), 0u);
    EXPECT_EQ(Count(childSet), 0u) << "hiding the parent releases the subtree";
    EXPECT_TRUE(child->mVisible) << "the child keeps its own flag";
    parent.SetVisible(false);
    EXPECT_EQ(Count(childSet), 0u) << "no second release";
}

TEST_F(TMCandyWidgetTest, ShowAndHideGoThroughTheEffectWhenItHasTheMessage)
{
    auto animated = Load(R"(<w effect="slide"/>)");
    animated->Show();
    EXPECT_FALSE(animated->mVisible) << "the effect shows the widget in its own time";
    EXPECT_TRUE(animated->IsShowing());
    animated->Show();
    EXPECT_EQ(animated->shows, 1) << "a second Show while showing does nothing";
    animated->Update();
    EXPECT_FALSE(animated->mVisible);
    animated->Update();
    EXPECT_TRUE(animated->mVisible);
    EXPECT_FALSE(animated->IsShowing());

    animated->Hide();
    EXPECT_TRUE(animated->mVisible);
    EXPECT_TRUE(animated->IsHiding());
    animated->Update();
    animated->Update();
    EXPECT_FALSE(animated->mVisible);
    EXPECT_FALSE(animated->IsHiding());

    auto showOnly = Load(R"(<w effect="showonly" visible="1"/>)");
    showOnly->Hide();
    EXPECT_FALSE(showOnly->mVisible) << "an effect without \"onhide\" hides at once";

    auto plain = Load(R"(<w visible="1"/>)");
    plain->Hide();
    EXPECT_EQ(plain->hides, 1);
    EXPECT_TRUE(plain->visibleAtHide) << "OnHide runs first";
    EXPECT_FALSE(plain->mVisible);
    plain->Show();
    EXPECT_TRUE(plain->mVisible);
}

TEST_F(TMCandyWidgetTest, TextureSetsByIdAndIndex)
{
    TMCandyWidget widget(nullptr);
    TMTexture* normal = Texture("red");
    TMTexture* second = Texture("red");
    TMTexture* three = Texture("blue");
    widget.AddTexture(0, normal);
    widget.AddTexture(3, three);
    widget.AddTexture(0, second);
    widget.AddTexture(1, nullptr);
    EXPECT_EQ(widget.GetNormalTextureSet(), normal);
    EXPECT_EQ(widget.GetTexture(0, 1), second);
    EXPECT_EQ(widget.GetTexture(0, 2), nullptr);
    EXPECT_EQ(widget.GetTexture(3, 0), three);
    EXPECT_EQ(widget.GetTexture(2, 0), nullptr);
    EXPECT_EQ(widget.GetTexture(1, 0), nullptr) << "a null texture is ignored";
}

TEST_F(TMCandyWidgetTest, TheNormalSetDrawsThroughTheScaledMatrixInsideItsClip)
{
    TMCandyWidget parent(nullptr);
    parent.Resize(0, 0, 12, 12);
    auto* widget = new TMCandyWidget(&parent);
    parent.AddChild("picture", widget);
    widget->Resize(4, 4, 8, 8);
    widget->SetScalePointX(4);
    widget->SetScalePointY(4);
    widget->SetScale(2.0f); // would cover (4, 4) to (20, 20); the parent cuts it at 12
    widget->AddTexture(0, Texture("red"));
    parent.SetVisible(true);
    widget->SetVisible(true);
    widget->Update();

    Pyxo::MemoryImage target(mEngine);
    target.Create(24, 24);
    target.Clear();
    Pyxo::Graphics g(&target);
    g.SetColorize(true);
    g.SetColor(Pyxo::Color(255, 255, 255, 255));
    widget->Draw(&g);

    std::string rows;
    const uint32_t* bits = target.GetBits();
    for (int y = 2; y < 16; y += 2) {
        for (int x = 2; x < 16; x += 2)
            rows += (bits[y * 24 + x] & 0x00FFFFFF) == 0xFF0000 ? '#' : '.';
        rows += '\n';
    }
    EXPECT_EQ(rows, ".......\n"
                    ".####..\n"
                    ".####..\n"
                    ".####..\n"
                    ".####..\n"
                    ".......\n"
                    ".......\n");
    EXPECT_EQ(g.mClipRect, Pyxo::Rect(0, 0, 24, 24)) << "the clip is restored";
    EXPECT_EQ(g.GetDrawMode(), 0);
}

} // namespace
