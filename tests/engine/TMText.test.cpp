// Text controls: placeholders expanded from the text variables, re-expanded only while the control can be seen and
// then announced to its effect, the visible length an effect types the text in with, the disabled style, the
// picture that replaces the text, and reading a "tmtext" element.
#include "engine/TMText.h"

#include "engine/EffectFunctionRegistry.h"
#include "engine/EffectLibrary.h"
#include "engine/TMEffect.h"
#include "engine/TMLocTable.h"
#include "engine/TMTexture.h"
#include "engine/TMTimer.h"
#include "engine/TextVars.h"
#include "engine/TextureTable.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "tests/engine/DialogTestKit.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace EngineTest;
using namespace DialogTest;

int gChanges = 0;

int CountChange(TMEffect* /*effect*/)
{
    ++gChanges;
    return 1;
}

/// Types the text in: three characters, every frame the timer runs.
int TypeThree(EffectCallRecord* call)
{
    auto* widget = static_cast<TMCandyWidget*>(call->owner->GetParam(6));
    if (auto* text = dynamic_cast<TMText*>(widget))
        text->SetVisibleLength(3);
    return 1;
}

class TMTextTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        gChanges = 0;
        RegisterEffectFunction("TestCountChange", &CountChange);
        RegisterEffectFunction("TestTypeThree", &TypeThree);
        WriteXml(mFolder / "cfg" / "effect.xml", R"(<effects>
  <effect name="counter">
    <messages><message name="onchange" timer_id="TestCountChange" command="call"/></messages>
  </effect>
  <effect name="typer">
    <timers>
      <timer name="type" type="usual" ftime="100">
        <control id="1" type="range" starttime="0" endtime="100" function="TestTypeThree"/>
      </timer>
    </timers>
    <messages>
      <message name="type" timer_id="type" command="start"/>
      <message name="done" timer_id="type" command="stop"/>
    </messages>
  </effect>
</effects>)");
        ImageLib::Image red(8, 8);
        fs::create_directories(mFolder / "images");
        ASSERT_TRUE(ImageLib::WritePNGImage((mFolder / "images" / "red.png").string(), red));
        mEngine = &MakeEngine();
        ASSERT_TRUE(LoadEffectLibrary());
        pugi::xml_document textures;
        ASSERT_TRUE(textures.load_string(R"(<root><texture id="red" file="images\red.png"/></root>)"));
        mEngine->GetTextureTable()->Load(textures.child("root"));
        mVars = mEngine->GetTextVars();
    }
    void TearDown() override
    {
        FreeEffectLibrary();
        EngineFixture::TearDown();
    }

    /// A visible text read from the element, drawing in the recording font.
    std::unique_ptr<TMText> Load(const char* xml)
    {
        pugi::xml_document document;
        auto text = std::make_unique<TMText>(nullptr, mEngine);
        text->Load(Parse(document, xml), mEngine);
        text->SetTextAttr(TMText::kText, &mFont, Pyxo::Color(1, 1, 1), Pyxo::Color(2, 2, 2));
        text->SetVisible(true);
        return text;
    }

    /// A visible 200 x 100 text of that source text.
    std::unique_ptr<TMText> Make(const std::wstring& source, const char* effect = "")
    {
        auto text = Load((std::string(R"(<e width="200" height="100" effect=")") + effect + "\"/>").c_str());
        text->SetText(source);
        return text;
    }

    /// What one draw writes, line by line.
    std::wstring Drawn(TMText& text)
    {
        mDrawn.clear();
        Pyxo::Graphics g(&mScreen);
        text.Draw(&g);
        std::wstring all;
        for (const TestFont::Drawn& line : mDrawn)
            all += line.mText;
        return all;
    }

    TMEngine* mEngine = nullptr;
    TextVars* mVars = nullptr;
    TestFont mFont;
    std::vector<TestFont::Drawn>& mDrawn = mFont.mDrawn;
    DrawLogImage mScreen{800, 600};
};

TEST_F(TMTextTest, ExpandsPlaceholdersFromTheTextVariables)
{
    mVars->Set("day", L"3");
    mVars->Set("cafe", L"Blue");
    struct Case {
        const wchar_t* source;
        const wchar_t* expanded;
    };
    const Case kCases[] = {
        {L"Day %day%", L"Day 3"},
        {L"%cafe% day %day%!", L"Blue day 3!"},
        {L"100%", L"100"},      // an open placeholder at the end is dropped
        {L"100% sure", L"100"}, // ... with everything after it
        {L"a%%b", L"ab"},       // two percent signs name the empty variable
        {L"x%nosuch%y", L"xy"}, // an unknown variable expands to nothing
        {L"%d\x0161y%", L"3"},  // a name keeps the low byte of each character: 0x161 reads as 'a'
        {L"", L""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "source " << testing::PrintToString(std::wstring(c.source)));
        auto text = Make(c.source);
        text->Update();
        EXPECT_EQ(text->GetExpandedText(), c.expanded);
        EXPECT_EQ(text->GetVisibleLength(), static_cast<int>(std::wstring(c.expanded).size()));
    }
    EXPECT_TRUE(mVars->Has("nosuch")) << "looking a variable up enters it";
}

TEST_F(TMTextTest, ReExpandsOnlyWhileVisibleAndAnnouncesTheChange)
{
    mVars->Set("day", L"3");
    auto text = Make(L"Day %day%", "counter");
    text->Update();
    EXPECT_EQ(Drawn(*text), L"Day 3");
    EXPECT_EQ(gChanges, 1);
    text->Update();
    EXPECT_EQ(gChanges, 1) << "nothing changed";

    text->SetVisible(false);
    mVars->Set("day", L"4");
    text->Update();
    EXPECT_EQ(text->GetExpandedText(), L"Day 3") << "a hidden text is not polled";
    EXPECT_EQ(gChanges, 1);

    text->SetVisible(true);
    text->Update();
    EXPECT_EQ(Drawn(*text), L"Day 4");
    EXPECT_EQ(gChanges, 2);

    // Without an effect nothing is announced, and nothing fails.
    auto plain = Make(L"Day %day%");
    plain->Update();
    mVars->Set("day", L"5");
    plain->Update();
    EXPECT_EQ(plain->GetExpandedText(), L"Day 5");
    EXPECT_EQ(gChanges, 2);
}

TEST_F(TMTextTest, AnEffectTypesTheTextIn)
{
    auto text = Make(L"Hello", "typer");
    text->Update();
    EXPECT_EQ(Drawn(*text), L"Hello");

    ASSERT_TRUE(text->SendEffectMessage("type"));
    text->Update();
    EXPECT_EQ(text->GetVisibleLength(), 3) << "the effect runs after the length is reset";
    EXPECT_EQ(Drawn(*text), L"Hel");
    text->Update();
    EXPECT_EQ(Drawn(*text), L"Hel");

    ASSERT_TRUE(text->SendEffectMessage("done"));
    text->Update();
    EXPECT_EQ(Drawn(*text), L"Hello") << "once the effect stops the whole text shows again";
}

TEST_F(TMTextTest, DisabledTextUsesItsDisabledStyle)
{
    auto text = Load(R"(<e width="200" height="100"><texture id="normal" texture="red"/>
                          <texture id="disabled" texture="red"/></e>)");
    text->SetTextAttr(TMText::kShadow, &mFont, Pyxo::Color(3, 3, 3), Pyxo::Color(4, 4, 4));
    text->SetText(L"go");
    text->Update();
    TMTexture* normal = text->GetTexture(TMText::kNormal, 0);
    TMTexture* disabled = text->GetTexture(TMText::kDisabled, 0);
    ASSERT_NE(normal, nullptr);
    ASSERT_NE(disabled, nullptr);
    EXPECT_TRUE(normal->mShown);
    EXPECT_FALSE(disabled->mShown);
    Drawn(*text);
    ASSERT_EQ(mDrawn.size(), 2u);
    EXPECT_EQ(mDrawn[0].mColor, Pyxo::Color(3, 3, 3));
    EXPECT_EQ(mDrawn[1].mColor, Pyxo::Color(1, 1, 1));

    text->SetDisabled(true);
    text->Update();
    EXPECT_FALSE(normal->mShown);
    EXPECT_TRUE(disabled->mShown);
    Drawn(*text);
    ASSERT_EQ(mDrawn.size(), 2u);
    EXPECT_EQ(mDrawn[0].mColor, Pyxo::Color(4, 4, 4));
    EXPECT_EQ(mDrawn[1].mColor, Pyxo::Color(2, 2, 2));

    // A disabled set without frames leaves the normal set showing.
    disabled->SetFrame(mEngine->GetTextureTable()->Find("none"));
    text->Update();
    EXPECT_TRUE(normal->mShown);
    EXPECT_FALSE(disabled->mShown);
}

TEST_F(TMTextTest, APictureReplacesTexturesAndText)
{
    auto text = Load(R"(<e x="5" y="6" width="40" height="30"><texture id="normal" texture="red"/></e>)");
    text->SetText(L"go");
    text->Update();
    auto picture = std::make_unique<Pyxo::MemoryImage>(mEngine);
    picture->Create(4, 4);

    text->SetImage(picture.get());
    EXPECT_EQ(Drawn(*text), L"");
    ASSERT_EQ(mScreen.mOps.size(), 1u);
    EXPECT_EQ(mScreen.mOps[0].mKind, "stretch");
    EXPECT_EQ(mScreen.mOps[0].mRect, Pyxo::Rect(0, 0, 40, 30)) << "its own rectangle, not through the world matrix";

    text->SetImage(nullptr);
    mScreen.mOps.clear();
    EXPECT_EQ(Drawn(*text), L"go");
    EXPECT_EQ(mScreen.mOps.size(), 2u) << "the normal set and the text image";
}

TEST_F(TMTextTest, PlacesTheTextBlockByVerticalAlignment)
{
    // 100 pixels high; one line of the test font is 14 pixels high (ascent 10).
    struct Case {
        int valign, hoffset, baseline; // -1: nothing written
    };
    const Case kCases[] = {
        {-1, 0, 10}, {-1, 5, 15}, {0, 0, 43 + 10}, {1, 2, 86 + 2 + 10}, {3, 0, -1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "valign " << c.valign);
        auto text = Make(L"go");
        text->mVAlign = c.valign;
        text->mHOffset = c.hoffset;
        text->Update();
        Drawn(*text);
        if (c.baseline < 0) {
            EXPECT_TRUE(mDrawn.empty()) << "an unknown alignment gives an empty text block";
            continue;
        }
        ASSERT_EQ(mDrawn.size(), 1u);
        EXPECT_EQ(mDrawn[0].mY, c.baseline);
    }
}

TEST_F(TMTextTest, LoadsATextElement)
{
    WriteXml(mFolder / "cfg" / "loc.xml", R"(<root><loc id="title" text="Day %day%"/></root>)");
    ASSERT_TRUE(mEngine->GetLocTable()->Load());
    pugi::xml_document document;
    TMText text(nullptr, mEngine);
    text.Load(Parse(document, R"(<e width="50" height="20" label="title" line_spacing="18" justify="0" fps="12"
                                    valign="1" hoffset="4" oneshot="true">
          <textattr id="normal" color="ff112233" font="nosuchfont"/>
          <textattr id="stroke" color="0x01020304" dcolor="0x05060708"/>
          <texture id="disabled" texture="red"/>
        </e>)"),
              mEngine);
    EXPECT_EQ(text.GetText(), L"Day %day%");
    EXPECT_EQ(text.mLineSpacing, 18);
    EXPECT_EQ(text.mJustify, 0);
    EXPECT_EQ(text.mFps, 12);
    EXPECT_EQ(text.mVAlign, 1);
    EXPECT_EQ(text.mHOffset, 4);
    EXPECT_TRUE(text.mOneShot);
    EXPECT_EQ(text.GetTextAttr(TMText::kText).color.ToInt(), 0xFF112233u);
    EXPECT_EQ(text.GetTextAttr(TMText::kText).disabledColor.ToInt(), 0xFF112233u);
    EXPECT_EQ(text.GetTextAttr(TMText::kText).font, nullptr);
    EXPECT_EQ(text.GetTextAttr(TMText::kStroke).disabledColor.ToInt(), 0x05060708u);
    EXPECT_EQ(text.GetTexture(TMText::kNormal, 0), nullptr);
    EXPECT_NE(text.GetTexture(TMText::kDisabled, 0), nullptr);

    TMText defaults(nullptr, mEngine);
    defaults.Load(Parse(document, R"(<e label="nosuchid"/>)"), mEngine);
    EXPECT_EQ(defaults.GetText(), L"");
    EXPECT_EQ(defaults.mJustify, -1);
    EXPECT_EQ(defaults.mVAlign, -1);
    EXPECT_EQ(defaults.mLineSpacing, -1);
    EXPECT_FALSE(defaults.mOneShot);
}

} // namespace
