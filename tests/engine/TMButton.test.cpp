// Buttons: the state set shown for each mouse state, the listener calls, sounds and cursors that mouse events
// send, the three-layer label with its vertical alignment and its cache, and reading a "tmbutton" element.
#include "engine/TMButton.h"

#include "engine/TMLocTable.h"
#include "engine/TMTexture.h"
#include "engine/TextureTable.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "shell/WidgetManager.h"
#include "tests/engine/DialogTestKit.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace EngineTest;
using namespace DialogTest;

constexpr intptr_t kId = 42;

class TMButtonTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        ImageLib::Image red(8, 8);
        fs::create_directories(mFolder / "images");
        ASSERT_TRUE(ImageLib::WritePNGImage((mFolder / "images" / "red.png").string(), red));
        mEngine = &MakeEngine();
        mManager = mEngine->mWidgetManager.get();
        pugi::xml_document textures;
        ASSERT_TRUE(textures.load_string(R"(<root><texture id="red" file="images\red.png"/></root>)"));
        mEngine->GetTextureTable()->Load(textures.child("root"));
    }

    std::unique_ptr<SinkButton> MakeButton(int x = 0, int y = 0, int width = 60, int height = 40)
    {
        auto button = std::make_unique<SinkButton>(nullptr, kId, &mListener, mSinks);
        button->Resize(x, y, width, height);
        return button;
    }

    /// A set of one frame; an empty set names no texture.
    TMTexture* Set(bool empty = false, bool additive = false)
    {
        auto* set = new TMTexture();
        set->SetFrame(mEngine->GetTextureTable()->Find(empty ? "none" : "red"));
        set->mAdditive = additive;
        return set;
    }

    TMEngine* mEngine = nullptr;
    Pyxo::WidgetManager* mManager = nullptr;
    RecordingListener mListener;
    Log mSinks;
};

TEST_F(TMButtonTest, ShowsTheStateSetOfTheMouseState)
{
    // Sets: N normal, O over, a additive over, e over without frames, D down, X disabled. Shown: the ids in order.
    struct Case {
        const char* name;
        const char* sets;
        bool disabled, down, over;
        const char* shown;
    };
    const Case kCases[] = {
        {"idle", "NODX", false, false, false, "0"},
        {"disabled", "NODX", true, false, true, "3"},
        {"disabled without its set", "NOD", true, true, true, ""},
        {"down", "NODX", false, true, true, "2"},
        {"down without a down set", "NO", false, true, true, "1"},
        {"down with neither", "N", false, true, true, "0"},
        {"down, additive over", "Na", false, true, true, "0"},
        {"hovered", "NOD", false, false, true, "1"},
        {"hovered, additive over", "Na", false, false, true, "01"},
        {"hovered, over without frames", "Ne", false, false, true, "0"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        auto button = MakeButton();
        for (const char* s = c.sets; *s; ++s) {
            switch (*s) {
            case 'N':
                button->AddTexture(TMButton::kNormal, Set());
                break;
            case 'O':
                button->AddTexture(TMButton::kOver, Set());
                break;
            case 'a':
                button->AddTexture(TMButton::kOver, Set(false, true));
                break;
            case 'e':
                button->AddTexture(TMButton::kOver, Set(true));
                break;
            case 'D':
                button->AddTexture(TMButton::kDown, Set());
                break;
            case 'X':
                button->AddTexture(TMButton::kDisabled, Set());
                break;
            }
        }
        button->mDisabled = c.disabled;
        button->mIsDown = c.down;
        button->mIsOver = c.over;
        button->Update();
        std::string shown;
        for (int id = TMButton::kNormal; id <= TMButton::kDisabled; ++id) {
            const TMTexture* set = button->GetTexture(id, 0);
            if (set && set->mShown)
                shown += std::to_string(id);
        }
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(TMButtonTest, LeavingTheOverStateRewindsTheOverSet)
{
    auto button = MakeButton();
    button->AddTexture(TMButton::kNormal, Set());
    TMTexture* over = Set();
    over->mCurrentFrame = 2;
    button->AddTexture(TMButton::kOver, over);
    button->Update();
    EXPECT_EQ(over->mCurrentFrame, 0);
}

TEST_F(TMButtonTest, MouseEventsReachTheListenerSoundsAndCursor)
{
    auto button = MakeButton(10, 10, 50, 20);
    pugi::xml_document document;
    button->Load(Parse(document, R"(<e x="10" y="10" width="50" height="20" visible="true"
                                        snd_hover="hover" snd_click="click"/>)"),
                 mEngine);
    mManager->AddWidget(button.get());

    mManager->MouseMove(20, 15);
    mManager->MouseDown(20, 15, 2);
    mManager->MouseUp(20, 15, 2);
    mManager->MouseMove(100, 100);
    const std::string id = Id(kId);
    EXPECT_EQ(mListener.mLog, (Log{"enter(" + id + ")", "move(" + id + ",10,5)", "press(" + id + ",2)",
                                   "release(" + id + ")", "leave(" + id + ")"}));
    EXPECT_EQ(mSinks, (Log{"cursor:active", "sound:hover", "sound:click", "cursor:normal"}));
}

TEST_F(TMButtonTest, OnlyAReleaseOverTheButtonWithTheWindowFocusedIsAClick)
{
    auto button = MakeButton(10, 10, 50, 20);
    button->SetVisible(true);
    mManager->AddWidget(button.get());
    const auto count = [&](const std::string& call) {
        return std::count(mListener.mLog.begin(), mListener.mLog.end(), call + "(" + Id(kId) + ")");
    };

    // Pressed, dragged off the button and released outside.
    mManager->MouseMove(20, 15);
    mManager->MouseDown(20, 15, 1);
    mManager->MouseDrag(200, 200);
    mManager->MouseUp(200, 200, 1);
    EXPECT_EQ(count("release"), 0);

    // Released over it while another window has the input.
    mManager->MouseMove(20, 15);
    mManager->MouseDown(20, 15, 1);
    mManager->mHasFocus = false;
    mManager->MouseUp(20, 15, 1);
    EXPECT_EQ(count("release"), 0);
    mManager->mHasFocus = true;
    mManager->MouseDown(20, 15, 1);
    mManager->MouseUp(20, 15, 1);
    EXPECT_EQ(count("release"), 1);
}

TEST_F(TMButtonTest, ADisabledButtonSendsNoPressAndPlaysNoClick)
{
    auto button = MakeButton();
    pugi::xml_document document;
    button->Load(Parse(document, R"(<e width="50" height="20" snd_click="click"/>)"), mEngine);
    button->mDisabled = true;
    button->MouseDown(5, 5, Pyxo::MouseButton::Left, 1);
    EXPECT_TRUE(mListener.mLog.empty());
    EXPECT_TRUE(mSinks.empty());
}

TEST_F(TMButtonTest, HeldDownOverTheButtonTicksEveryFrame)
{
    auto button = MakeButton();
    button->mIsDown = true;
    button->mIsOver = true;
    button->Update();
    button->Update();
    button->mIsOver = false;
    button->Update();
    EXPECT_EQ(mListener.mLog, (Log{"held(42)", "held(42)"}));
}

class TMButtonLabelTest : public TMButtonTest {
protected:
    /// Draws the button once onto a recording screen.
    void Draw(TMButton& button)
    {
        Pyxo::Graphics g(&mScreen);
        button.Draw(&g);
    }

    TestFont mFont; // ascent 10, height 14, 6 pixels a character
    std::vector<TestFont::Drawn>& mDrawn = mFont.mDrawn;
    DrawLogImage mScreen{800, 600};
};

TEST_F(TMButtonLabelTest, PlacesTheLabelBlockByVerticalAlignment)
{
    // A 60 x 40 button, 30 pixels of text width: "aaa bbb" wraps into two lines of spacing 14, 28 pixels high.
    struct Case {
        int valign, hoffset, firstBaseline;
    };
    const Case kCases[] = {
        {0, 0, 6 + 10},  // centred: (40 - 28) / 2
        {1, 0, 12 + 10}, // bottom: the last line's descent touches the bottom edge
        {1, 3, 15 + 10}, // plus the offset
        {-1, 2, 2 + 10}, // top
        {7, 0, 0 + 10},  // any other value is top as well
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "valign " << c.valign << " hoffset " << c.hoffset);
        mDrawn.clear();
        auto button = MakeButton(0, 0, 30, 40);
        button->mVAlign = c.valign;
        button->mHOffset = c.hoffset;
        button->SetTextAttr(TMButton::kText, &mFont, Pyxo::Color(1, 2, 3), {}, {});
        button->SetLabel(L"aaa bbb");
        Draw(*button);
        ASSERT_EQ(mDrawn.size(), 2u);
        EXPECT_EQ(mDrawn[0].mText, L"aaa");
        EXPECT_EQ(mDrawn[0].mY, c.firstBaseline);
        EXPECT_EQ(mDrawn[1].mY, c.firstBaseline + 14);
    }
}

TEST_F(TMButtonLabelTest, DrawsShadowStrokeAndNormalInTheirColours)
{
    const Pyxo::Color shadow(1, 0, 0), stroke(2, 0, 0), normal(3, 0, 0), hover(9, 9, 9);
    const Pyxo::Color dShadow(4, 0, 0), dStroke(5, 0, 0), dNormal(6, 0, 0);
    auto button = MakeButton();
    button->SetLabel(L"go");
    button->SetTextAttr(TMButton::kText, &mFont, normal, hover, dNormal);
    button->SetTextAttr(TMButton::kShadow, &mFont, shadow, hover, dShadow);
    button->SetTextAttr(TMButton::kStroke, &mFont, stroke, hover, dStroke);
    button->SetTextAttr(3, nullptr, hover, hover, hover); // ignored
    Draw(*button);
    button->mDisabled = true;
    button->MouseLeave(); // any mouse event renders the label again
    Draw(*button);
    ASSERT_EQ(mDrawn.size(), 6u);
    const Pyxo::Color expected[] = {shadow, stroke, normal, dShadow, dStroke, dNormal};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(mDrawn[i].mColor.ToInt(), expected[i].ToInt()) << i;

    // The label image is placed on the screen through the world matrix, cut to the button.
    ASSERT_FALSE(mScreen.mOps.empty());
    EXPECT_EQ(mScreen.mOps.back().mSource, button->GetLabelImage());
    EXPECT_EQ(mScreen.mOps.back().mRect, Pyxo::Rect(0, 0, 60, 40));
}

TEST_F(TMButtonLabelTest, WithoutANormalFontNoLayerIsWritten)
{
    auto button = MakeButton();
    button->SetLabel(L"go");
    button->SetTextAttr(TMButton::kShadow, &mFont, {}, {}, {});
    button->SetTextAttr(TMButton::kStroke, &mFont, {}, {}, {});
    Draw(*button);
    EXPECT_TRUE(mDrawn.empty());
}

TEST_F(TMButtonLabelTest, TheLabelIsRenderedOnceUntilSomethingChanges)
{
    auto button = MakeButton();
    button->SetTextAttr(TMButton::kText, &mFont, {}, {}, {});
    Draw(*button);
    EXPECT_TRUE(mDrawn.empty()) << "an empty label draws nothing";
    EXPECT_EQ(button->GetLabelImage(), nullptr);

    button->SetLabel(L"go");
    Draw(*button);
    Draw(*button);
    EXPECT_EQ(mDrawn.size(), 1u);
    button->MouseEnter();
    Draw(*button);
    EXPECT_EQ(mDrawn.size(), 2u);
    button->Resize(0, 0, 70, 40);
    Draw(*button);
    EXPECT_EQ(mDrawn.size(), 3u);
    EXPECT_EQ(button->GetLabelImage()->GetWidth(), 70);

    button->SetVisible(true);
    button->SetVisible(false);
    EXPECT_EQ(button->GetLabelImage(), nullptr) << "hiding drops the label image";
}

TEST_F(TMButtonTest, LoadsAButtonElement)
{
    WriteXml(mFolder / "cfg" / "loc.xml", R"(<root><loc id="btn_play" text="Play"/></root>)");
    ASSERT_TRUE(mEngine->GetLocTable()->Load());
    pugi::xml_document document;
    auto button = MakeButton();
    button->Load(Parse(document, R"(<element x="3" y="4" width="50" height="20" label="btn_play" line_spacing="16"
            justify="1" valign="1" hoffset="-2" snd_hover="hover" snd_click="click">
          <texture id="normal" texture="red"/>
          <texture id="down" texture="red" width="7"/>
          <textattr id="normal" color="0x00ff0000" dcolor="FF00FF00" font="nosuchfont"/>
          <textattr id="shadow" color="80000000" hcolor="0xFFFFFFFF"/>
        </element>)"),
                 mEngine);
    EXPECT_EQ(button->GetLabel(), L"Play");
    EXPECT_EQ(button->mLineSpacing, 16);
    EXPECT_EQ(button->mJustify, 1);
    EXPECT_EQ(button->mVAlign, 1);
    EXPECT_EQ(button->mHOffset, -2);
    EXPECT_EQ(button->GetHoverSound(), "hover");
    EXPECT_EQ(button->GetClickSound(), "click");

    ASSERT_NE(button->GetTexture(TMButton::kNormal, 0), nullptr);
    EXPECT_EQ(button->GetTexture(TMButton::kNormal, 0)->mSourceRect, Pyxo::Rect(0, 0, 50, 20));
    ASSERT_NE(button->GetTexture(TMButton::kDown, 0), nullptr);
    EXPECT_EQ(button->GetTexture(TMButton::kDown, 0)->mSourceRect, Pyxo::Rect(0, 0, 7, 20));
    EXPECT_EQ(button->GetTexture(TMButton::kOver, 0), nullptr);
    EXPECT_EQ(button->GetTexture(TMButton::kDisabled, 0), nullptr);

    const TextAttr& normal = button->GetTextAttr(TMButton::kText);
    EXPECT_EQ(normal.color.ToInt(), 0x00FF0000u) << "an alpha of 00 stays transparent";
    EXPECT_EQ(normal.hoverColor.ToInt(), 0x00FF0000u);
    EXPECT_EQ(normal.disabledColor.ToInt(), 0xFF00FF00u);
    EXPECT_EQ(normal.font, nullptr);
    const TextAttr& shadow = button->GetTextAttr(TMButton::kShadow);
    EXPECT_EQ(shadow.color.ToInt(), 0x80000000u);
    EXPECT_EQ(shadow.hoverColor.ToInt(), 0xFFFFFFFFu);
    EXPECT_EQ(shadow.disabledColor.ToInt(), 0x80000000u);
    EXPECT_EQ(button->GetTextAttr(TMButton::kStroke).color.ToInt(), 0xFF000000u) << "untouched: opaque black";

    // An id without a text, or no "label" at all, gives an empty label.
    for (const char* xml : {R"(<e label="btn_missing"/>)", "<e/>"}) {
        auto other = MakeButton();
        other->SetLabel(L"old");
        other->Load(Parse(document, xml), mEngine);
        EXPECT_EQ(other->GetLabel(), L"") << xml;
    }
}

} // namespace
