// The shared question and notice boxes on the engine's real loop step: the player's clicks arrive as window
// messages while the box runs the loop inside a button's handler or a widget's update; the answer, the texts and
// labels of the key, the icon, the blocker, the focus, and what was deleted while the box was open.
#include "game/ConfirmDialogs.h"

#include "engine/TMButton.h"
#include "engine/TMLocTable.h"
#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "engine/TextureTable.h"
#include "game/TMBoard_Confirm1.h"
#include "game/TMBoard_Confirm2.h"
#include "platform/window/WindowSystem.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

using Log = std::vector<std::string>;

// Boxes at (200, 150); their buttons at (50, 200) inside, 100 x 40.
constexpr const char* kUi = R"(<root>
  <element name="dialogbox_2button" type="tmdialog" x="200" y="150" width="400" height="300">
    <element type="tmtext" name="icon" x="10" y="10" width="32" height="32" visible="true">
      <texture id="normal" texture="none"/>
    </element>
    <element type="tmtext" name="text1" x="50" y="10" width="300" height="20" visible="true"/>
    <element type="tmtext" name="text2" x="50" y="40" width="300" height="20" visible="true"/>
    <element type="tmbutton" name="btn_yes" x="50" y="200" width="100" height="40" visible="true"/>
    <element type="tmbutton" name="btn_no" x="250" y="200" width="100" height="40" visible="true"/>
  </element>
  <element name="dialogbox_1button" type="tmdialog" x="200" y="150" width="400" height="300">
    <element type="tmtext" name="icon" x="10" y="10" width="32" height="32" visible="true">
      <texture id="normal" texture="none"/>
    </element>
    <element type="tmtext" name="text1" x="50" y="10" width="300" height="20" visible="true"/>
    <element type="tmbutton" name="btn_yes" x="150" y="200" width="100" height="40" visible="true"/>
  </element>
  <element name="opener" type="tmdialog" x="0" y="0" width="100" height="100" visible="true">
    <element type="tmbutton" name="ask" x="10" y="10" width="50" height="30" visible="true"/>
  </element>
</root>)";

constexpr const char* kLoc = R"(<root>
  <loc id="app_title" text="Fixture Cafe"/>
  <loc id="db01_text1_exitmenu" text="Leave the day?"/>
  <loc id="db01_text2_exitmenu" text="The day is lost."/>
  <loc id="db01_btnyes_exitmenu" text="Leave"/>
  <loc id="db01_btnno_exitmenu" text="Stay"/>
  <loc id="db01_text1_upgrade" text="New counter!"/>
  <loc id="db01_btnyes_upgrade" text="Fine"/>
</root>)";

struct Point {
    int x;
    int y;
};
constexpr Point kYes2{260, 360};   // the question box's yes button
constexpr Point kNo2{460, 360};    // its no button
constexpr Point kYes1{360, 360};   // the notice box's button
constexpr Point kBehind{20, 20};   // the opener's button, under the blocker while a box is open
constexpr Point kNowhere{790, 10}; // covered by nothing but the blocker

/// A widget that runs the test's script at each update and logs its own updates and deletion.
class Probe : public Pyxo::Widget {
public:
    Probe(Log& log, std::string name) : mEvents(log), mName(std::move(name)) {}
    ~Probe() override { mEvents.push_back(mName + " deleted"); }
    void Update() override
    {
        Widget::Update();
        mEvents.push_back(mName);
        if (mScript)
            mScript(*this);
    }

    Log& mEvents;
    std::string mName;
    std::function<void(Probe&)> mScript;
    int mAsked = 0;
};

/// A screen whose button asks the question box from its handler, that is, from inside the button's mouse-up.
class Opener : public TMDialog {
public:
    Opener(Pyxo::PyxoAppBase* app, Log& log) : TMDialog(nullptr, app), mEvents(log) {}
    ~Opener() override { mEvents.push_back("opener deleted"); }
    void OnControl(intptr_t) override
    {
        mEvents.push_back("asking");
        const int32_t answer = ShowConfirmDialog2(mKey);
        mAnswers.push_back(answer); // the screen must still be alive here
        mEvents.push_back("answered " + std::to_string(answer));
    }

    Log& mEvents;
    std::string mKey = "exitmenu";
    std::vector<int32_t> mAnswers;
};

class ConfirmDialogsTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        WriteMinimalContent();
        WriteXml(mFolder / "cfg" / "loc.xml", kLoc);
        ImageLib::Image icon(6, 4);
        ASSERT_TRUE(ImageLib::WritePNGImage((mFolder / "images" / "icon.png").string(), icon));
        mEngine = &MakeEngine();
        ASSERT_EQ(InitExitCode(*mEngine), -1);
        ASSERT_TRUE(mEngine->GetLocTable()->Load()); // the game's own start-up reads it
        mEngine->mRunning = true;
        mEngine->mDeferredMessages.clear();
        mManager = mEngine->mWidgetManager.get();
        pugi::xml_document textures;
        ASSERT_TRUE(textures.load_string(R"(<root><texture id="db01_icon_exitmenu" file="images\icon.png"/></root>)"));
        mEngine->GetTextureTable()->Load(textures.child("root"));
        ASSERT_TRUE(mUi.load_string(kUi));
        CreateConfirmDialogs(mEngine, mUi.child("root"));
        mQuestion = Find<TMBoard_Confirm2>();
        mNotice = Find<TMBoard_Confirm1>();
        ASSERT_NE(mQuestion, nullptr);
        ASSERT_NE(mNotice, nullptr);
        // The three stand above everything added before them, the blocker last.
        ASSERT_GE(mManager->mWidgets.size(), 3u);
        mBlocker = dynamic_cast<TMDialog*>(mManager->mWidgets.back());
        ASSERT_NE(mBlocker, nullptr);
        // A box that never gets its answer would run the loop for ever: the application closes instead.
        Keep(std::make_unique<Probe>(mWatchdogEvents, "watchdog")).mScript = [this](Probe& self) {
            if (++self.mAsked == 2000)
                mEngine->Shutdown();
        };
    }

    template <class T>
    T* Find()
    {
        for (Pyxo::Widget* widget : mManager->mWidgets) {
            if (auto* found = dynamic_cast<T*>(widget))
                return found;
        }
        return nullptr;
    }

    void Click(Point at)
    {
        Platform::PostMessage(mEngine->mMainWindow, Platform::WM_LBUTTONDOWN, Platform::MK_LBUTTON,
                              Platform::MakeLParam(at.x, at.y));
        Platform::PostMessage(mEngine->mMainWindow, Platform::WM_LBUTTONUP, 0, Platform::MakeLParam(at.x, at.y));
    }

    /// A probe at the top of the tree that, while a box is open, plays the clicks once.
    Probe& AddPlayer(std::vector<Point> clicks)
    {
        auto player = std::make_unique<Probe>(mEvents, "player");
        player->mScript = [this, clicks](Probe& self) {
            if (self.mAsked == 0 && (mQuestion->mVisible || mNotice->mVisible)) {
                self.mAsked = 1;
                for (Point at : clicks)
                    Click(at);
            }
        };
        return Keep(std::move(player));
    }

    Probe& Keep(std::unique_ptr<Probe> probe)
    {
        Probe& kept = *probe;
        mManager->AddWidget(probe.get());
        mProbes.push_back(std::move(probe));
        return kept;
    }

    void Release(Probe& probe)
    {
        for (auto& owned : mProbes) {
            if (owned.get() == &probe)
                (void)owned.release();
        }
    }

    /// Loop steps until the condition holds; the box runs its own steps inside one of them.
    void StepUntil(const std::function<bool()>& done)
    {
        for (int guard = 0; guard < 2000 && !done(); ++guard)
            mEngine->RunLoopStep(nullptr);
        ASSERT_TRUE(done()) << "the loop never got there";
    }

    void TearDown() override
    {
        for (auto& probe : mProbes) {
            if (probe && probe->mWidgetManager)
                mManager->RemoveWidget(probe.get());
        }
        mProbes.clear();
        EngineFixture::TearDown();
    }

    TMEngine* mEngine = nullptr;
    Pyxo::WidgetManager* mManager = nullptr;
    pugi::xml_document mUi;
    TMBoard_Confirm2* mQuestion = nullptr;
    TMBoard_Confirm1* mNotice = nullptr;
    TMDialog* mBlocker = nullptr;
    std::vector<std::unique_ptr<Probe>> mProbes;
    Log mEvents;
    Log mWatchdogEvents;
};

ILVANE_THREADED_SUITE(ConfirmDialogsTest);

TEST_F(ConfirmDialogsTest, AButtonHandlerGetsTheAnswerOfTheQuestionBox)
{
    const struct {
        const char* name;
        std::vector<Point> clicks;
        bool close;
        int32_t answer;
    } cases[] = {
        {"yes", {kYes2}, false, 1},
        {"no", {kNo2}, false, 0},
        {"clicks behind the box go to the blocker", {kBehind, kNowhere, kYes2}, false, 1},
        {"the application closes", {}, true, kConfirmUnanswered},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mEvents.clear();
        auto* opener = new Opener(mEngine, mEvents);
        opener->LoadByName(mUi.child("root"), "opener");
        mManager->AddWidget(opener);
        mManager->BringToBack(opener);
        Probe& player = AddPlayer(c.clicks);
        if (c.close) {
            player.mScript = [this](Probe& self) {
                if (self.mAsked++ == 0 && mQuestion->mVisible)
                    Platform::PostMessage(mEngine->mMainWindow, Platform::WM_CLOSE, 0, 0);
            };
        }
        Click(kBehind);

        StepUntil([&] { return !opener->mAnswers.empty() || mEngine->mShutdown; });
        ASSERT_EQ(opener->mAnswers.size(), 1u);
        EXPECT_EQ(opener->mAnswers[0], c.answer);
        EXPECT_EQ(mQuestion->mVisible, c.close) << "an answer hides the box";
        EXPECT_FALSE(mBlocker->mVisible);
        EXPECT_EQ(mQuestion->mText1->GetText(), L"Leave the day?");
        EXPECT_EQ(mQuestion->mText2->GetText(), L"The day is lost.");
        EXPECT_EQ(mQuestion->mYesButton->GetLabel(), L"Leave");
        EXPECT_EQ(mQuestion->mNoButton->GetLabel(), L"Stay");
        EXPECT_TRUE(mQuestion->mIcon->mVisible);
        const TMTexture* icon = mQuestion->mIcon->GetNormalTextureSet();
        EXPECT_EQ(icon->mSourceRect, Pyxo::Rect(0, 0, 6, 4)) << "the whole icon picture";
        if (c.close)
            break; // the application is gone
        mManager->RemoveWidget(opener);
        delete opener;
        mManager->RemoveWidget(&player);
    }
}

TEST_F(ConfirmDialogsTest, AScreenRemovedDuringTheBoxOutlivesTheHandlerThatAsked)
{
    auto* opener = new Opener(mEngine, mEvents);
    opener->LoadByName(mUi.child("root"), "opener");
    mManager->AddWidget(opener);
    mManager->BringToBack(opener);
    Probe& player = AddPlayer({kYes2});
    // While the box is open the screen whose button asked leaves the tree and is handed over for deletion.
    player.mScript = [this, opener, clicks = player.mScript](Probe& self) {
        if (self.mAsked == 0 && mQuestion->mVisible) {
            mManager->RemoveWidget(opener);
            mEngine->DeferDelete(opener);
        }
        clicks(self);
    };
    Click(kBehind);

    StepUntil([&] { return std::find(mEvents.begin(), mEvents.end(), "opener deleted") != mEvents.end(); });
    const auto answered = std::find(mEvents.begin(), mEvents.end(), "answered 1");
    const auto deleted = std::find(mEvents.begin(), mEvents.end(), "opener deleted");
    EXPECT_LT(answered, deleted) << "deleted only once the handler has returned";
}

TEST_F(ConfirmDialogsTest, AWidgetsUpdateGetsTheNoticeAndTheOuterPassGoesOn)
{
    AddPlayer({kYes1});
    Probe& asker = Keep(std::make_unique<Probe>(mEvents, "asker"));
    Keep(std::make_unique<Probe>(mEvents, "after"));
    int32_t answer = -1;
    asker.mScript = [&](Probe& self) {
        if (self.mAsked++ != 0)
            return; // its nested updates ask nothing
        // It leaves the tree during the box, handed over for deletion; its own frame still runs afterwards.
        Probe* remover = &Keep(std::make_unique<Probe>(mEvents, "remover"));
        remover->mScript = [this, &self](Probe& r) {
            if (r.mAsked++ == 0) {
                mManager->RemoveWidget(&self);
                mEngine->DeferDelete(&self);
            }
        };
        answer = ShowConfirmDialog1("upgrade");
        self.mEvents.push_back("returned");
    };
    StepUntil([&] { return answer != -1; });
    EXPECT_EQ(answer, 1);
    EXPECT_FALSE(mNotice->mVisible);
    EXPECT_FALSE(mBlocker->mVisible);
    EXPECT_EQ(mNotice->mText1->GetText(), L"New counter!");
    EXPECT_EQ(mNotice->mText2, nullptr) << "the element has no second text";
    EXPECT_EQ(mNotice->mYesButton->GetLabel(), L"Fine");
    EXPECT_FALSE(mNotice->mIcon->mVisible) << "no texture db01_icon_upgrade: no icon";

    // The widgets after the asker were updated by the box's last frame: the outer pass walks on to the end of the
    // list without updating them twice, then the asker goes, and the next frame updates each remaining widget once.
    Release(asker); // deleted by the application
    const auto rest = [this] {
        const auto returned = std::find(mEvents.begin(), mEvents.end(), "returned");
        return returned == mEvents.end() ? Log{} : Log(returned + 1, mEvents.end());
    };
    StepUntil([&] { return rest().size() >= 4; });
    EXPECT_EQ(rest(), (Log{"asker deleted", "player", "after", "remover"}));

    // A later notice for a key with an icon shows the icon again.
    mNotice->Fill("exitmenu");
    EXPECT_TRUE(mNotice->mIcon->mVisible);
}

TEST_F(ConfirmDialogsTest, TheBoxRemovedWhileOpenEndsTheWaitUnanswered)
{
    Probe& remover = Keep(std::make_unique<Probe>(mEvents, "remover"));
    remover.mScript = [this](Probe& self) {
        if (self.mAsked++ == 0)
            mManager->RemoveWidget(mQuestion);
    };
    EXPECT_EQ(ShowConfirmDialog2("exitmenu"), kConfirmUnanswered);
    EXPECT_FALSE(mBlocker->mVisible);
    mManager->AddWidget(mQuestion); // back to its owner
}

TEST_F(ConfirmDialogsTest, TheFocusReturnsOnlyToAWidgetStillInTheTree)
{
    for (const bool deleteIt : {false, true}) {
        SCOPED_TRACE(deleteIt ? "deleted during the box" : "kept");
        const size_t probesBefore = mProbes.size();
        AddPlayer({kYes2});
        auto* focused = new Probe(mEvents, "focused");
        mManager->AddWidget(focused);
        mManager->SetFocus(focused);
        if (deleteIt) {
            Keep(std::make_unique<Probe>(mEvents, "remover")).mScript = [this, focused](Probe& self) {
                if (self.mAsked++ == 0) {
                    mManager->RemoveWidget(focused);
                    delete focused; // not through the application: gone at once
                }
            };
        }
        EXPECT_EQ(ShowConfirmDialog2("exitmenu"), 1);
        if (deleteIt) {
            EXPECT_EQ(mManager->mFocusWidget, nullptr);
        } else {
            EXPECT_EQ(mManager->mFocusWidget, focused);
            mManager->RemoveWidget(focused);
            delete focused;
        }
        while (mProbes.size() > probesBefore) {
            mManager->RemoveWidget(mProbes.back().get());
            mProbes.pop_back();
        }
    }
}

TEST_F(ConfirmDialogsTest, ABoxWithoutAnAnswerButtonDoesNotWait)
{
    pugi::xml_document ui;
    ASSERT_TRUE(ui.load_string(R"(<root>
      <element name="dialogbox_1button" type="tmdialog" width="10" height="10">
        <element type="tmtext" name="btn_yes" width="10" height="10"/>
      </element></root>)"));
    CreateConfirmDialogs(mEngine, ui.child("root")); // the new boxes replace the fixture's
    const uint32_t updates = mEngine->mUpdateCount;
    EXPECT_EQ(ShowConfirmDialog1("upgrade"), kConfirmUnanswered) << "a text named btn_yes answers nothing";
    EXPECT_EQ(ShowConfirmDialog2("exitmenu"), kConfirmUnanswered) << "no element at all";
    EXPECT_EQ(mEngine->mUpdateCount, updates);
    EXPECT_TRUE(LogHas("no button to answer with"));
}

} // namespace
