// The engine's named fonts: system fonts with the defaults of a sparse element, image fonts with their scale,
// elements that are left out, and a second font of a name replacing the first only until fonts are looked up.
#include "engine/TMFont.h"

#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/SysFont.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace EngineTest;

class TMFontTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        // A descriptor as the game stores them: UTF-16LE without a byte-order mark.
        std::vector<uint8_t> bytes;
        for (const char c : std::string("SetDefaultPointSize 12;\nCreateLayer Main;\n")) {
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(0);
        }
        WriteBytes(mFolder / "fonts" / "plain.txt", bytes);
        mEngine = &MakeEngine();
        mFonts = std::make_unique<TMFont>(mEngine);
    }

    void TearDown() override
    {
        mFonts.reset();
        EngineFixture::TearDown();
    }

    void Load(const char* xml)
    {
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(xml)) << xml;
        mFonts->Load(document.child("root"));
    }

    Pyxo::SysFont* System(const char* name) { return dynamic_cast<Pyxo::SysFont*>(mFonts->Find(name)); }

    EngineApp* mEngine = nullptr;
    std::unique_ptr<TMFont> mFonts;
};

TEST_F(TMFontTest, ASystemFontWithoutSizeOrStyleIsTwelvePointsPlain)
{
    Load(R"(<root>
        <font name="sparse" type="System" face="DejaVu Sans"/>
        <font name="explicit" type="System" face="DejaVu Sans" size="12" bold="false" italic="false" underline="false"/>
        <font name="bold" type="System" face="DejaVu Sans" size="12" bold="true"/>
        <font name="small" type="System" face="DejaVu Sans" size="8"/>
    </root>)");
    Pyxo::SysFont* sparse = System("sparse");
    Pyxo::SysFont* explicitly = System("explicit");
    ASSERT_NE(sparse, nullptr);
    ASSERT_NE(explicitly, nullptr);
    ASSERT_TRUE(explicitly->IsValid()) << "the test needs the DejaVu fonts";
    EXPECT_EQ(sparse->GetHeight(), explicitly->GetHeight());
    EXPECT_GT(sparse->GetHeight(), System("small")->GetHeight());
    EXPECT_EQ(sparse->GetFontFile(), explicitly->GetFontFile());
    EXPECT_NE(sparse->GetFontFile(), System("bold")->GetFontFile());
    EXPECT_EQ(sparse->mApp, mEngine);
}

TEST_F(TMFontTest, AnImageFontTakesItsScaleAndABrokenOneIsLeftOut)
{
    Load(R"(<root>
        <font name="scaled" type="Image" face="fonts\plain.txt" scale="1.5"/>
        <font name="unscaled" type="Image" face="FONTS\PLAIN.TXT"/>
        <font name="missing" type="Image" face="fonts\none.txt"/>
    </root>)");
    auto* scaled = dynamic_cast<Pyxo::ImageFont*>(mFonts->Find("scaled"));
    auto* unscaled = dynamic_cast<Pyxo::ImageFont*>(mFonts->Find("unscaled"));
    ASSERT_NE(scaled, nullptr);
    ASSERT_NE(unscaled, nullptr);
    EXPECT_DOUBLE_EQ(scaled->mScale, 1.5);
    EXPECT_TRUE(scaled->mActiveListValid) << "prepared";
    EXPECT_DOUBLE_EQ(unscaled->mScale, 1.0);
    EXPECT_EQ(mFonts->Find("missing"), nullptr);
    EXPECT_TRUE(LogHas("fonts\\none.txt"));
}

TEST_F(TMFontTest, ElementsWithoutNameOrKnownTypeAreLeftOut)
{
    Load(R"(<root>
        <font type="System" face="DejaVu Sans" size="10"/>
        <font name="typeless" face="DejaVu Sans" size="10"/>
        <font name="lower" type="system" face="DejaVu Sans" size="10"/>
        <font name="other" type="Vector" face="DejaVu Sans"/>
        <fonts name="wrong element" type="System" face="DejaVu Sans"/>
    </root>)");
    for (const char* name : {"", "typeless", "lower", "other", "wrong element", "never defined"})
        EXPECT_EQ(mFonts->Find(name), nullptr) << name;
    EXPECT_TRUE(LogHas("font without a name or a type"));
}

TEST_F(TMFontTest, ASecondFontOfANameReplacesTheFirstUntilFontsAreLookedUp)
{
    Load(R"(<root>
        <font name="title" type="System" face="DejaVu Sans" size="8"/>
        <font name="title" type="System" face="DejaVu Sans" size="20"/>
    </root>)");
    Pyxo::SysFont* title = System("title");
    ASSERT_NE(title, nullptr);
    const int height = title->GetHeight();
    EXPECT_GT(height, 20) << "the later definition";

    // Whoever looked the font up keeps it: a later definition does not delete it under them.
    Load(R"(<root><font name="title" type="System" face="DejaVu Sans" size="8"/>
                  <font name="body" type="System" face="DejaVu Sans" size="8"/></root>)");
    EXPECT_EQ(System("title"), title);
    EXPECT_EQ(title->GetHeight(), height);
    EXPECT_NE(System("body"), nullptr) << "new names still enter";
}

} // namespace
