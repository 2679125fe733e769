// A level runs: loaded on its thread, then a minute of game time with clicks from the mouse and the tutorial, the
// mover walking the path graph to each clicked object in turn and serving it on arrival.
#include "engine/PathGraph.h"
#include "engine/TMItemPart.h"
#include "engine/TMMoveItem.h"
#include "engine/ZOrder.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/BoardTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

/// What the mover served, and where it stood then.
struct Serve {
    std::string target;
    std::string point;
    int32_t x = 0;
    int32_t y = 0;
};
std::vector<Serve> gServes;

class ServingMover : public TMMoveItem {
public:
    bool Interact(TMItem* by, bool checkOnly, int32_t* /*extra*/) override
    {
        if (!checkOnly)
            gServes.push_back({by->GetName(), GetCurrentPoint(), mPosX, mPosY});
        return true;
    }
};

/// An object that always lets the mover use it.
class UsableObject : public TMPickItem {
public:
    bool Interact(TMItem* /*by*/, bool /*checkOnly*/, int32_t* /*extra*/) override { return true; }
};

/// Hands every click to the mover, as the game board does.
class WalkingBoard : public RecordingBoard {
public:
    using RecordingBoard::RecordingBoard;
    void OnObjectClicked(TMPickItem* item) override
    {
        RecordingBoard::OnObjectClicked(item);
        static_cast<TMMoveItem*>(gBoss)->AddTarget(item);
    }
};

class LevelRunTest : public BoardFixture {
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        gServes.clear();
        RegisterItemFactory("mover", []() -> TMItem* { return new ServingMover(); });
        RegisterItemFactory("usable", []() -> TMItem* { return new UsableObject(); });
        mBoard.reset();
        mBoard = std::make_unique<WalkingBoard>(mEngine);
    }
};

ILVANE_THREADED_SUITE(LevelRunTest);

TEST_F(LevelRunTest, AMinuteOfPlayWithClicksTakesTheMoverToEachTargetInTurn)
{
    // Three objects in a row above a hub; their pick points hang below them and join the hub.
    WriteScene("s1.xml", R"(
        <object class="mover" name="boss" start_point="door"><part name="body"/></object>
        <object class="usable" name="a" rgn="100 100 150 100 150 150 100 150">
            <point owner="boss" offs_x="125" offs_y="200"/></object>
        <object class="usable" name="b" rgn="300 100 350 100 350 150 300 150">
            <point owner="boss" offs_x="325" offs_y="200"/></object>
        <object class="usable" name="c" rgn="500 100 550 100 550 150 500 150">
            <point owner="boss" offs_x="525" offs_y="200"/></object>)",
               R"(<graphs><graph name="boss"><points><point name="door" x="400" y="500"/>
                  <point name="hub" x="325" y="300"/></points></graph></graphs>)");
    WriteLevel(1, false, R"(
        <objects><object name="boss"/><object name="a"/><object name="b"/><object name="c"/></objects>
        <graphs><graph name="boss"><edges><edge p1="door" p2="hub"/><edge p1="hub" p2="a"/>
            <edge p1="hub" p2="b"/><edge p1="hub" p2="c"/></edges></graph></graphs>
        <events_queue><time_point time="100" type="closing"/></events_queue>)");
    Load(1);
    ASSERT_TRUE(mBoard->mRunning);
    auto* mover = dynamic_cast<TMMoveItem*>(gBoss);
    ASSERT_NE(mover, nullptr);
    EXPECT_EQ(mover->GetCurrentPoint(), "door");
    EXPECT_TRUE(LogHas("mover <boss> has no character description"));

    auto click = [this](int x, int y) {
        mBoard->MouseMove(x, y);
        mBoard->MouseDown(x, y, Pyxo::MouseButton::Left, 1);
    };
    Pyxo::MemoryImage screen(mEngine);
    screen.Create(800, 600);
    Pyxo::Graphics g(&screen);
    // 10 ms frames: one minute is 6000 steps, drawn as the loop draws.
    for (int step = 0; step < 6000; ++step) {
        if (step == 100) {
            click(125, 125);
            click(325, 125);
            mBoard->ClickItem("c");
        } else if (step == 2000) {
            click(525, 125); // where the mover already stands: served without a walk
            click(125, 125);
        } else if (step == 4000) {
            mBoard->ClickItem("b");
        }
        mBoard->Update();
        mBoard->Draw(&g);
    }
    const std::vector<TMItemPart*>& drawn = gZOrder->GetDrawList(false);
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), mover->FindPart("body")), drawn.end())
        << "the walking figure is in the draw list";

    EXPECT_NEAR(gGameTime, 60.0f, 0.01f);
    EXPECT_TRUE(mBoard->mRunning) << "the level's last event is still to come";
    const std::vector<Serve> expected = {
        {"a", "a", 125, 200}, {"b", "b", 325, 200}, {"c", "c", 525, 200},
        {"c", "c", 525, 200}, {"a", "a", 125, 200}, {"b", "b", 325, 200},
    };
    ASSERT_EQ(gServes.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(gServes[i].target, expected[i].target);
        EXPECT_EQ(gServes[i].point, expected[i].point);
        EXPECT_EQ(gServes[i].x, expected[i].x);
        EXPECT_EQ(gServes[i].y, expected[i].y);
    }
    EXPECT_FALSE(mover->IsMoving());
    EXPECT_TRUE(mover->GetTargets().empty());
    for (const char* name : {"a", "b", "c"})
        EXPECT_EQ(TMPickItem::FindPickItem(name)->GetClickCount(), 0) << name << ": reset once served";
}

} // namespace
