// Movers: walking the graph to each queued target, facing the way they walk, serving a target only when both
// sides agree, dropping the queue on a refusal or a target out of reach, the trail clock, switching off, and the
// character descriptions (with the fixed pace of a mover that has none).
#include "engine/TMMoveItem.h"

#include "engine/GameClock.h"
#include "engine/PathGraph.h"
#include "engine/PersInfo.h"
#include "engine/TMItemPart.h"
#include "platform/log/Log.h"
#include "tests/TestHelpers.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

/// What the movers and targets of one test did, in order.
using Calls = std::vector<std::string>;

/// A mover whose graph is handed in by the test, and that answers Interact as told.
class TestMover : public TMMoveItem {
public:
    TestMover(PathGraph* graph, Calls& calls) : mTestGraph(graph), mCalls(calls) {}

    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override
    {
        mCalls.push_back(GetName() + (checkOnly ? " checks " : " uses ") + by->GetName());
        ++*extra;
        return mAnswer;
    }
    void OnDelayedEvent(int code) override { mCalls.push_back(GetName() + " event " + std::to_string(code)); }

    bool mAnswer = true;

protected:
    PathGraph* FindPathGraph() const override { return mTestGraph; }

private:
    PathGraph* mTestGraph;
    Calls& mCalls;
};

/// A clickable target that answers Interact as told and checks the shared extra value.
class TestTarget : public TMPickItem {
public:
    explicit TestTarget(Calls& calls) : mCalls(calls) {}

    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override
    {
        mCalls.push_back(GetName() + (checkOnly ? " checks " : " uses ") + by->GetName() + " extra " +
                         std::to_string(*extra));
        return mAnswer;
    }

    bool mAnswer = true;

private:
    Calls& mCalls;
};

using TestHelpers::LogCapture;

// door -(100)- hall -(50)- oven's pick point; hall -(100)- sink's pick point. "far" has a point but no edge.
const char* const kScene = R"(<root><graphs><graph name="boss">
    <points><point name="door" x="0" y="0"/><point name="hall" x="100" y="0" direction="t"/></points>
    <edges><edge p1="door" p2="hall"/><edge p1="hall" p2="oven"/><edge p1="hall" p2="sink"/></edges>
  </graph></graphs></root>)";

/// A walking level: the boss at the door, three pick items, the graph, and frames of 1/8 second.
class TMMoveItemTest : public SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        const XmlText perses(R"(<cfg><perses><pers name="boss" move_speed="100"/></perses></cfg>)");
        TMMoveItem::LoadPerses(perses.Root());
        mOven = MakeTarget(R"(<object name="oven"><point owner="boss" offs_x="100" offs_y="50" direction="l"/>)"
                           R"(<part name="checkmark"/><part name="checkmark"/></object>)");
        mSink = MakeTarget(R"(<object name="sink"><point owner="boss" offs_x="200" offs_y="0"/>)"
                           R"(<part name="checkmark"/><part name="checkmark"/></object>)");
        mFar = MakeTarget(R"(<object name="far"><point owner="boss" offs_x="500" offs_y="500"/>)"
                          R"(<part name="checkmark"/><part name="checkmark"/></object>)");
        const XmlText scene(kScene);
        const XmlText level("<level/>");
        mGraph.LoadBaseLayer(scene.Root());
        mGraph.BuildPickLayer();
        mGraph.LoadLevelLayer(level.Root());
        mBoss = MakeMover(R"(<object name="boss" start_point="door"><part name="body"/></object>)");
        gFrameDelta = 0.125f;
    }
    void TearDown() override
    {
        gFrameDelta = 0.0f;
        for (const auto& item : mItems)
            item->Unload();
        TMMoveItem::ClearPerses();
        SceneFixture::TearDown();
    }

    TestTarget* MakeTarget(const char* text)
    {
        const XmlText xml(text);
        auto target = std::make_unique<TestTarget>(mCalls);
        target->Load(xml.Root());
        target->mPresent = true;
        target->Activate(true);
        TestTarget* raw = target.get();
        mItems.push_back(std::move(target));
        return raw;
    }

    TestMover* MakeMover(const char* text)
    {
        const XmlText xml(text);
        auto mover = std::make_unique<TestMover>(&mGraph, mCalls);
        mover->Load(xml.Root());
        mover->BindPers();
        mover->mPresent = true;
        mover->Activate(true);
        TestMover* raw = mover.get();
        mItems.push_back(std::move(mover));
        return raw;
    }

    /// Updates until the walk is over; the number of frames taken.
    int WalkOut(TMMoveItem* mover)
    {
        int frames = 0;
        do {
            mover->Update();
            ++frames;
        } while (mover->IsMoving() && frames < 1000);
        return frames;
    }

    static bool CheckmarkShown(const TMPickItem* item, int i) { return item->IsCheckmarkInUse(i); }

    Calls mCalls;
    PathGraph mGraph{"boss"};
    std::vector<std::unique_ptr<TMItem>> mItems;
    TestTarget* mOven = nullptr;
    TestTarget* mSink = nullptr;
    TestTarget* mFar = nullptr;
    TestMover* mBoss = nullptr;
};

TEST(TMMoveItemOrientation, TheWalkingDirectionPicksOneOfEightWays)
{
    const struct {
        int dx;
        int dy;
        const char* orientation;
    } cases[] = {
        {3, -4, "tr"}, // about 36.9 degrees
        {3, 4, "br"},  // about 143.1 degrees
        {1, -1, "tr"}, // exactly 45 degrees
        {1, 0, "r"},    {0, 1, "b"},  {-1, 0, "l"},
        {0, -1, "t"},   {0, 0, "tl"}, // no direction keeps the current orientation
        {-3, 4, "bl"},                // about 216.9 degrees
        {-3, -4, "tl"},               // about 323.1 degrees
        {10, -1, "r"},                // about 84.3 degrees: the straight sectors reach 11.25 degrees either side
        {1, -10, "t"},                // about 5.7 degrees
        {-1, -10, "t"},               // about 354.3 degrees: the last row names "t" again
        {-1, 10, "b"},                // about 185.7 degrees
        {5, 4, "br"},                 // about 128.7 degrees
        {-5, -1, "tl"},               // about 281.3 degrees, just past the threshold at 281.25
        {-5, 1, "bl"},                // about 258.7 degrees, just short of the threshold at 258.75
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.dx) + ", " + std::to_string(c.dy));
        EXPECT_EQ(TMMoveItem::OrientationForDirection({c.dx, c.dy}, "tl"), c.orientation);
    }
}

TEST_F(TMMoveItemTest, WalksTheRouteFacingItsWayAndServesTheTargetOnArrival)
{
    EXPECT_EQ(mBoss->GetCurrentPoint(), "door");
    EXPECT_EQ(mBoss->GetOrientation(), "b") << "activation faces the viewer";
    mOven->IncClickCount();
    mBoss->AddTarget(mOven);
    EXPECT_TRUE(CheckmarkShown(mOven, 0));

    mBoss->Update(); // the walk starts; it has not moved yet
    ASSERT_TRUE(mBoss->IsMoving());
    EXPECT_EQ(mBoss->GetCurrentPoint(), "oven") << "the current point is the destination while walking";
    EXPECT_EQ(mBoss->mPosX, 0);

    // 100 pixels per second, 1/8 second a frame: 12.5 pixels a frame, 150 pixels to the oven.
    const struct {
        int frames;
        Pyxo::Point position;
        const char* orientation;
    } steps[] = {
        {1, {12, 0}, "r"},
        {7, {100, 0}, "r"}, // on the corner: the end of the first segment, still walking
        {1, {100, 12}, "b"},
        {3, {100, 50}, "b"}, // exactly at the end: still walking
    };
    for (const auto& step : steps) {
        for (int i = 0; i < step.frames; ++i)
            mBoss->Update();
        SCOPED_TRACE(step.orientation);
        EXPECT_TRUE(mBoss->IsMoving());
        EXPECT_EQ(Pyxo::Point(mBoss->mPosX, mBoss->mPosY), step.position);
        EXPECT_EQ(mBoss->GetOrientation(), step.orientation);
        EXPECT_EQ(mBoss->GetWalkOrientation(), step.orientation);
        const TMItemPart* body = mBoss->FindPart("body");
        ASSERT_NE(body, nullptr);
        EXPECT_EQ(body->GetOrientation(), step.orientation);
        EXPECT_EQ(body->mOrderPoints[0].x, step.position.mX - 20) << "the depth points follow the feet";
        EXPECT_EQ(body->mOrderPoints[1].x, step.position.mX);
        EXPECT_EQ(body->mOrderPoints[2].x, step.position.mX + 20);
        EXPECT_EQ(body->mOrderPoints[2].y, step.position.mY);
    }
    EXPECT_TRUE(mCalls.empty());

    mBoss->Update(); // the walk ends facing the oven's direction, and the oven is served in the same frame
    EXPECT_FALSE(mBoss->IsMoving());
    EXPECT_EQ(mBoss->GetOrientation(), "l");
    EXPECT_EQ(mCalls, (Calls{"boss event 3", "oven checks boss extra 0", "boss checks oven", "oven uses boss extra 1",
                             "boss uses oven"}))
        << "one extra value runs through the four calls";
    EXPECT_TRUE(mBoss->GetTargets().empty());
    EXPECT_FALSE(CheckmarkShown(mOven, 0));
    EXPECT_EQ(mOven->GetClickCount(), 0);
}

TEST_F(TMMoveItemTest, TargetsAreServedInTurn)
{
    mBoss->AddTarget(mOven);
    mBoss->AddTarget(mSink);
    mBoss->AddTarget(nullptr);
    EXPECT_EQ(mBoss->GetTargets().size(), 2u);
    WalkOut(mBoss);
    EXPECT_EQ(mBoss->GetTargets().size(), 1u);
    WalkOut(mBoss);
    EXPECT_EQ(mBoss->GetCurrentPoint(), "sink");
    EXPECT_EQ(Pyxo::Point(mBoss->mPosX, mBoss->mPosY), Pyxo::Point(200, 0));
    EXPECT_EQ(mBoss->GetOrientation(), "r") << "a route ending without a direction keeps the last way";
    EXPECT_TRUE(mBoss->GetTargets().empty());
    EXPECT_EQ(mCalls.back(), "boss uses sink");
}

TEST_F(TMMoveItemTest, AClickOnThePointItStandsOnIsServedAtOnce)
{
    mBoss->PlaceAt("oven");
    EXPECT_EQ(Pyxo::Point(mBoss->mPosX, mBoss->mPosY), Pyxo::Point(100, 50));
    mBoss->AddTarget(mOven);
    mBoss->Update();
    EXPECT_FALSE(mBoss->IsMoving());
    EXPECT_EQ(mCalls.size(), 5u);
    EXPECT_TRUE(mBoss->GetTargets().empty());
    EXPECT_FALSE(mBoss->WalkTo("oven", 100.0f)) << "no walk to the point it stands on";
}

TEST_F(TMMoveItemTest, EitherSideRefusingDropsTheWholeQueue)
{
    const struct {
        const char* name;
        bool targetAgrees;
        bool moverAgrees;
        Calls calls;
    } cases[] = {
        {"the target refuses: the mover is not asked", false, true, {"boss event 3", "oven checks boss extra 0"}},
        {"the mover refuses", true, false, {"boss event 3", "oven checks boss extra 0", "boss checks oven"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mCalls.clear();
        mBoss->PlaceAt("oven");
        mOven->mAnswer = c.targetAgrees;
        mBoss->mAnswer = c.moverAgrees;
        mOven->IncClickCount();
        mSink->IncClickCount();
        mBoss->AddTarget(mOven);
        mBoss->AddTarget(mSink);
        mBoss->Update();
        EXPECT_EQ(mCalls, c.calls);
        EXPECT_TRUE(mBoss->GetTargets().empty());
        EXPECT_FALSE(mBoss->IsMoving());
        EXPECT_EQ(mOven->GetClickCount(), 0);
        EXPECT_EQ(mSink->GetClickCount(), 0);
        EXPECT_FALSE(CheckmarkShown(mOven, 0));
        EXPECT_FALSE(CheckmarkShown(mSink, 0));
    }
}

TEST_F(TMMoveItemTest, ATargetOutOfReachDropsTheQueue)
{
    TMItem lamp; // no point of its name
    const XmlText lampXml(R"(<object name="lamp"/>)");
    lamp.Load(lampXml.Root());
    for (TMItem* target : {static_cast<TMItem*>(mFar), &lamp}) {
        SCOPED_TRACE(target->GetName());
        mBoss->AddTarget(target);
        mBoss->AddTarget(mSink);
        EXPECT_TRUE(CheckmarkShown(mSink, 0));
        mBoss->Update();
        EXPECT_FALSE(mBoss->IsMoving());
        EXPECT_TRUE(mBoss->GetTargets().empty());
        EXPECT_FALSE(CheckmarkShown(mFar, 0));
        EXPECT_FALSE(CheckmarkShown(mSink, 0));
        EXPECT_EQ(mBoss->GetCurrentPoint(), "door");
    }
    lamp.Unload();
}

TEST_F(TMMoveItemTest, APendingDelayedEventHoldsTheQueue)
{
    mBoss->PostDelayedEvent(0.25f, 7);
    mBoss->AddTarget(mSink);
    mBoss->Update();
    EXPECT_TRUE(mBoss->IsBusy());
    EXPECT_FALSE(mBoss->IsMoving());
    mBoss->Update(); // the delay runs out in this frame's item step, so the queue is served in the same frame
    EXPECT_EQ(mCalls, (Calls{"boss event 7"}));
    EXPECT_TRUE(mBoss->IsMoving());
    EXPECT_TRUE(mBoss->IsBusy());
}

TEST_F(TMMoveItemTest, SwitchedOffAMoverHasNoGraphUntilSwitchedOnAgain)
{
    mBoss->AddTarget(mSink);
    mBoss->Update();
    ASSERT_TRUE(mBoss->IsMoving());
    EXPECT_EQ(mBoss->SetCarried(mOven), nullptr);

    mBoss->Activate(false);
    EXPECT_EQ(mBoss->GetGraph(), nullptr);
    EXPECT_FALSE(mBoss->IsMoving());
    EXPECT_EQ(mBoss->GetCarried(), nullptr);
    EXPECT_TRUE(mBoss->GetTargets().empty());
    EXPECT_FALSE(CheckmarkShown(mSink, 0));
    mBoss->PlaceAt("hall");
    EXPECT_EQ(mBoss->GetCurrentPoint(), "sink");
    EXPECT_FALSE(mBoss->WalkTo("door", 100.0f));

    mBoss->Activate(true);
    EXPECT_EQ(mBoss->GetGraph(), &mGraph);
    EXPECT_EQ(mBoss->GetCurrentPoint(), "door");
    EXPECT_EQ(Pyxo::Point(mBoss->mPosX, mBoss->mPosY), Pyxo::Point(0, 0));
    EXPECT_TRUE(mBoss->WalkTo("hall", 100.0f));

    mBoss->mPresent = false;
    mBoss->Activate(true);
    EXPECT_FALSE(mBoss->WalkTo("hall", 100.0f)) << "a mover absent from the level does not walk";
}

TEST_F(TMMoveItemTest, CarryingAnotherObjectResetsTheClicksOfTheFormerOne)
{
    mOven->IncClickCount();
    EXPECT_EQ(mBoss->SetCarried(mOven), nullptr);
    EXPECT_EQ(mOven->GetClickCount(), 1);
    EXPECT_EQ(mBoss->SetCarried(mSink), mOven);
    EXPECT_EQ(mOven->GetClickCount(), 0);
    EXPECT_EQ(mBoss->GetCarried(), mSink);
}

TEST_F(TMMoveItemTest, TheTrailClockRunsOnWhileTheTrailStaysOn)
{
    mBoss->SetTrail(true, 100.0f, 0.3f);
    mBoss->Update();
    mBoss->Update();
    EXPECT_FLOAT_EQ(mBoss->GetTrailClock(), 0.25f);
    mBoss->SetTrail(true, 50.0f, 0.3f);
    EXPECT_FLOAT_EQ(mBoss->GetTrailClock(), 0.25f) << "switched on again while on: the clock keeps running";
    mBoss->Update();
    EXPECT_FLOAT_EQ(mBoss->GetTrailClock(), 0.0f) << "the interval was reached: afterimages, and a new count";
    mBoss->Update();
    mBoss->SetTrail(false, 0.0f, 0.0f);
    EXPECT_FALSE(mBoss->IsTrailOn());
    mBoss->Update();
    EXPECT_FLOAT_EQ(mBoss->GetTrailClock(), 0.125f) << "off: the clock stands";
    mBoss->SetTrail(true, 50.0f, 0.3f);
    EXPECT_FLOAT_EQ(mBoss->GetTrailClock(), 0.0f) << "switched on from off: the clock starts again";
}

TEST_F(TMMoveItemTest, AMoverWithoutACharacterDescriptionWalksAtTheDefaultPace)
{
    LogCapture log;
    // The mover is named "boss" for the graph, but the descriptions know only "cook".
    const XmlText perses(R"(<cfg><perses><pers name="cook" move_speed="80"/></perses></cfg>)");
    TMMoveItem::LoadPerses(perses.Root());
    TestMover* mover = MakeMover(R"(<object name="boss" start_point="door"/>)");
    EXPECT_TRUE(log.Has("mover <boss> has no character description"));
    EXPECT_EQ(mover->GetPers(), nullptr);
    EXPECT_FLOAT_EQ(mover->GetMoveSpeed(), TMMoveItem::kDefaultMoveSpeed);

    mover->AddTarget(mSink); // 200 pixels
    mover->Update();
    ASSERT_TRUE(mover->IsMoving());
    mover->Update();
    EXPECT_EQ(mover->mPosX, static_cast<int32_t>(TMMoveItem::kDefaultMoveSpeed * 0.125f));
    const int frames = WalkOut(mover);
    EXPECT_EQ(mover->GetCurrentPoint(), "sink");
    EXPECT_LT(frames, 100);
}

TEST(TMMoveItemPerses, DescriptionsKeepTheFirstRecordOfANameAndOfAnOrientation)
{
    LogCapture log;
    const XmlText perses(R"(<cfg><perses>
        <pers name="boss" move_speed="120.5">
          <orientations orientation="l" actual_orientation="r" ofs_x="3" ofs_y="-2"/>
          <orientations orientation="l" actual_orientation="x"/>
          <orientations actual_orientation="ignored"/>
        </pers>
        <pers name="boss" move_speed="1"/>
        <pers name="slow"/>
      </perses></cfg>)");
    TMMoveItem::LoadPerses(perses.Root());
    ASSERT_EQ(gPersByName.size(), 2u);
    const PersInfo* boss = TMMoveItem::FindPers("boss");
    ASSERT_NE(boss, nullptr);
    EXPECT_FLOAT_EQ(boss->moveSpeed, 120.5f);
    ASSERT_EQ(boss->orientations.size(), 1u);
    EXPECT_EQ(boss->orientations.at("l").actualOrientation, "r");
    EXPECT_EQ(boss->orientations.at("l").ofsX, 3);
    EXPECT_EQ(boss->orientations.at("l").ofsY, -2);

    // A record without a speed is kept as read, but its mover walks at the default pace instead of standing.
    EXPECT_FLOAT_EQ(TMMoveItem::FindPers("slow")->moveSpeed, 0.0f);
    EXPECT_TRUE(log.Has("character <slow> has no positive move speed"));
    TMMoveItem slow;
    const XmlText slowXml(R"(<object name="slow"/>)");
    slow.Load(slowXml.Root());
    slow.BindPers();
    EXPECT_EQ(slow.GetPers(), TMMoveItem::FindPers("slow"));
    EXPECT_FLOAT_EQ(slow.GetMoveSpeed(), TMMoveItem::kDefaultMoveSpeed);
    slow.Unload();

    TMMoveItem::LoadPerses(XmlText("<cfg/>").Root());
    EXPECT_TRUE(gPersByName.empty()) << "loading empties the registry first";
    TMMoveItem::ClearPerses();
}

} // namespace
