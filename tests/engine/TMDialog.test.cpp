// Dialogs from the interface description: children built by element type through the control table, the modal
// registration that follows the real visibility, commands travelling up to the screen, and the tutorial dialog
// that hides itself on a click.
#include "engine/TMDialog.h"

#include "engine/DialogControlFactory.h"
#include "engine/TMButton.h"
#include "engine/TMText.h"
#include "engine/TMTutorialDialog.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"
#include "shell/WidgetManager.h"
#include "tests/engine/DialogTestKit.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace EngineTest;
using namespace DialogTest;

constexpr const char* kUi = R"(<root>
  <element name="menu" type="tmbutton" x="1"/>
  <element name="other" type="tmdialog" x="2"/>
  <element name="menu" type="tmdialog" x="10" y="20" width="300" height="200" visible="true" modal="true">
    <texture id="normal" texture="none"/>
    <element type="tmbutton" name="play" x="5" y="5" width="50" height="20" visible="true"/>
    <element type="tmbutton" name="play" x="99"/>
    <element type="tmtext" name="title" width="100" height="20"/>
    <element type="TMButton" name="cased"/>
    <element type="tmwhatever" name="unknown"/>
    <element name="untyped"/>
    <element type="tmtext"/>
    <element type="tmdialog" name="panel" x="100" y="50" width="150" height="100" visible="true">
      <element type="tmbutton" name="ok" x="10" y="10" width="40" height="20" visible="true"/>
    </element>
    <element type="tmtutorial" name="tip" clickhide="true"/>
  </element>
</root>)";

class TMDialogTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        mEngine = &MakeEngine();
        mManager = mEngine->mWidgetManager.get();
    }

    /// A screen read by name from the snippet and added to the widget tree.
    std::unique_ptr<RecordingScreen> LoadScreen(const char* xml, const char* name)
    {
        pugi::xml_document document;
        auto screen = std::make_unique<RecordingScreen>(nullptr, mEngine);
        screen->LoadByName(Parse(document, xml), name);
        mManager->AddWidget(screen.get());
        return screen;
    }

    /// A press and release at a screen position.
    void Click(int x, int y)
    {
        mManager->MouseMove(x, y);
        mManager->MouseDown(x, y, 1);
        mManager->MouseUp(x, y, 1);
    }

    TMEngine* mEngine = nullptr;
    Pyxo::WidgetManager* mManager = nullptr;
};

TEST_F(TMDialogTest, BuildsTheNamedDialogsChildrenByType)
{
    auto screen = LoadScreen(kUi, "menu");
    EXPECT_EQ(screen->mX, 10);
    EXPECT_EQ(screen->mWidth, 300);
    EXPECT_TRUE(screen->IsModal());
    EXPECT_NE(screen->GetNormalTextureSet(), nullptr);

    auto* play = dynamic_cast<TMButton*>(screen->FindChild("play"));
    ASSERT_NE(play, nullptr);
    // A button is its own id, so a screen compares the id with the controls it keeps.
    EXPECT_EQ(play->GetId(), reinterpret_cast<intptr_t>(play));
    EXPECT_EQ(play->mX, 5) << "two children of one name: the first answers";
    EXPECT_NE(dynamic_cast<TMText*>(screen->FindChild("title")), nullptr);
    auto* panel = dynamic_cast<TMDialog*>(screen->FindChild("panel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(dynamic_cast<TMButton*>(panel->FindChild("ok")), nullptr);
    auto* tip = dynamic_cast<TMTutorialDialog*>(screen->FindChild("tip"));
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->GetClickHide());

    for (const char* skipped : {"cased", "unknown", "untyped"})
        EXPECT_EQ(screen->FindChild(skipped), nullptr) << skipped;
    // play, play again, title, panel, tip: the element without a name is skipped as well.
    EXPECT_EQ(screen->mWidgets.size(), 5u);
}

TEST_F(TMDialogTest, DialogsNested20000DeepLoadOnly128Deep)
{
    constexpr int kDepth = 20000;
    std::string xml = R"(<root><element type="tmdialog" name="deep">)";
    for (int i = 1; i < kDepth; ++i)
        xml += R"(<element type="tmdialog" name="d">)";
    for (int i = 1; i < kDepth; ++i)
        xml += "</element>";
    xml += "</element></root>";
    WriteXml(mFolder / "cfg" / "ui.xml", xml);
    const auto document = XmlOpenDocument("cfg\\ui.xml");
    ASSERT_NE(document, nullptr);

    TMDialog screen(nullptr, mEngine);
    screen.LoadByName(XmlSelectNode(*document, "root"), "deep");
    int depth = 1;
    for (TMCandyWidget* dialog = &screen; (dialog = dynamic_cast<TMDialog*>(dialog->FindChild("d")));)
        ++depth;
    EXPECT_EQ(depth, TMDialog::kMaxNesting);
    EXPECT_TRUE(LogHas("cfg\\ui.xml: dialog \"d\" lies 128 dialogs deep"));

    // The limit counts the dialogs being loaded: the next description starts from the top again.
    TMDialog again(nullptr, mEngine);
    again.LoadByName(XmlSelectNode(*document, "root"), "deep");
    EXPECT_NE(again.FindChild("d"), nullptr);
}

TEST_F(TMDialogTest, AMissingDialogStaysEmpty)
{
    for (const char* name : {"nothing", "other\" or \"1\"=\"1"}) {
        SCOPED_TRACE(name);
        auto screen = LoadScreen(kUi, name);
        EXPECT_TRUE(screen->mWidgets.empty());
        EXPECT_EQ(screen->GetNormalTextureSet(), nullptr);
        EXPECT_EQ(screen->mWidth, 0);
    }
}

TEST_F(TMDialogTest, TheControlTableComparesTypesExactly)
{
    DialogControlFactory& factory = DialogControlFactory::Get();
    for (const char* type : {"tmbutton", "tmtext", "tmdialog", "tmtutorial"})
        EXPECT_NE(factory.Find(type), nullptr) << type;
    EXPECT_EQ(factory.Find("TMButton"), nullptr);
    EXPECT_EQ(factory.Find(""), nullptr);

    // A type entered later is built like the others; removing it skips its elements again.
    factory.Register("tmprobe", [](TMDialog& dialog, pugi::xml_node node, Pyxo::PyxoAppBase*) {
        auto probe = std::make_unique<TMCandyWidget>(&dialog);
        probe->LoadCommon(node);
        return probe;
    });
    const char* xml =
        R"(<root><element name="s" type="tmdialog"><element type="tmprobe" name="p" x="7"/></element></root>)";
    auto screen = LoadScreen(xml, "s");
    ASSERT_NE(screen->FindChild("p"), nullptr);
    EXPECT_EQ(screen->FindChild("p")->mX, 7);
    factory.Register("tmprobe", nullptr);
    EXPECT_EQ(LoadScreen(xml, "s")->FindChild("p"), nullptr);
}

TEST_F(TMDialogTest, ModalFollowsTheRealVisibility)
{
    const char* xml = R"(<root><element name="s" type="tmdialog" width="800" height="600">
        <element type="tmdialog" name="box" width="100" height="100" modal="true"/></element></root>)";
    auto screen = LoadScreen(xml, "s");
    auto* box = dynamic_cast<TMDialog*>(screen->FindChild("box"));
    ASSERT_NE(box, nullptr);

    box->SetVisible(true);
    EXPECT_EQ(mManager->mBaseModalWidget, nullptr) << "the screen is still hidden";
    screen->SetVisible(true);
    EXPECT_EQ(mManager->mBaseModalWidget, box);
    screen->SetVisible(false);
    EXPECT_EQ(mManager->mBaseModalWidget, nullptr) << "hiding an ancestor pops it";
    screen->SetVisible(true);
    EXPECT_EQ(mManager->mBaseModalWidget, box);

    box->SetModal(false);
    EXPECT_EQ(mManager->mBaseModalWidget, nullptr);
    box->SetVisible(false);
    box->SetModal(true);
    EXPECT_EQ(mManager->mBaseModalWidget, box) << "SetModal applies at once, whatever the visibility";
    box->SetModal(false);
    EXPECT_EQ(mManager->mBaseModalWidget, nullptr);
}

TEST_F(TMDialogTest, NestedModalDialogsUnwindInOrder)
{
    const char* xml = R"(<root><element name="s" type="tmdialog" width="800" height="600" visible="true">
        <element type="tmdialog" name="outer" width="400" height="400" modal="true">
          <element type="tmdialog" name="inner" width="100" height="100" modal="true" visible="true"/>
        </element></element></root>)";
    auto screen = LoadScreen(xml, "s");
    auto* outer = dynamic_cast<TMDialog*>(screen->FindChild("outer"));
    ASSERT_NE(outer, nullptr);
    auto* inner = dynamic_cast<TMDialog*>(outer->FindChild("inner"));
    ASSERT_NE(inner, nullptr);

    outer->SetVisible(true);
    EXPECT_EQ(mManager->mBaseModalWidget, inner);
    inner->SetVisible(false);
    EXPECT_EQ(mManager->mBaseModalWidget, outer);
    inner->SetVisible(true);
    EXPECT_EQ(mManager->mBaseModalWidget, inner);
    // Hiding the outer one takes both back, the inner first: no hidden dialog is left holding the input.
    outer->SetVisible(false);
    EXPECT_EQ(mManager->mBaseModalWidget, nullptr);
    EXPECT_TRUE(mManager->mPreModalInfoList.empty());
}

TEST_F(TMDialogTest, AModalDialogDeletedWhileShownGivesTheInputBack)
{
    const char* xml = R"(<root><element name="s" type="tmdialog" modal="true" visible="true"/></root>)";
    auto screen = LoadScreen(xml, "s");
    EXPECT_EQ(mManager->mBaseModalWidget, screen.get());
    screen.reset();
    EXPECT_EQ(mManager->mBaseModalWidget, nullptr);
}

TEST_F(TMDialogTest, AClickInANestedDialogReachesTheScreen)
{
    auto screen = LoadScreen(kUi, "menu");
    auto* panel = dynamic_cast<TMDialog*>(screen->FindChild("panel"));
    ASSERT_NE(panel, nullptr);
    TMCandyWidget* ok = panel->FindChild("ok");
    TMCandyWidget* play = screen->FindChild("play");

    // The screen at (10, 20), the panel at (100, 50) in it, its button at (10, 10) in the panel.
    Click(10 + 100 + 10 + 5, 20 + 50 + 10 + 5);
    Click(10 + 5 + 5, 20 + 5 + 5);
    ASSERT_EQ(screen->mControls.size(), 2u);
    EXPECT_EQ(screen->mControls[0], reinterpret_cast<intptr_t>(ok));
    EXPECT_EQ(screen->mControls[1], reinterpret_cast<intptr_t>(play));
}

TEST_F(TMDialogTest, DrawsFadedByEveryAncestor)
{
    auto screen = LoadScreen(kUi, "menu");
    auto* panel = dynamic_cast<TMDialog*>(screen->FindChild("panel"));
    ASSERT_NE(panel, nullptr);
    screen->mAlpha = 0.5f;
    panel->mAlpha = 0.3f;
    DrawLogImage target(800, 600);
    Pyxo::Graphics g(&target);
    panel->Draw(&g);
    EXPECT_EQ(g.GetColor(), Pyxo::Color(255, 255, 255, 38)) << "255 x 0.3 x 0.5, truncated";
    EXPECT_TRUE(g.GetColorize());
}

TEST_F(TMDialogTest, ATutorialDialogHidesOnAClickOnlyWhenAsked)
{
    const char* xml = R"(<root><element name="s" type="tmdialog" width="800" height="600" visible="true">
        <element type="tmtutorial" name="hides" width="100" height="100" visible="true" clickhide="true"/>
        <element type="tmtutorial" name="stays" x="200" width="100" height="100" visible="true"/>
        </element></root>)";
    auto screen = LoadScreen(xml, "s");
    TMCandyWidget* hides = screen->FindChild("hides");
    TMCandyWidget* stays = screen->FindChild("stays");
    ASSERT_NE(hides, nullptr);
    ASSERT_NE(stays, nullptr);

    Click(250, 50);
    Click(50, 50);
    EXPECT_FALSE(hides->mVisible);
    EXPECT_TRUE(stays->mVisible);
}

} // namespace
