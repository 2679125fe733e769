// Timers and effect instances: how a timer's clock passes its point and range controls forward, backward, in
// cycles and ping-pong, the calls it makes and when, and effects read from the library whose messages drive them.
#include "engine/TMEffect.h"

#include "engine/EffectLibrary.h"
#include "engine/TMTimer.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace EngineTest;

struct Call {
    int32_t id;
    float t;
    friend bool operator==(const Call&, const Call&) = default;
};

void PrintTo(const Call& call, std::ostream* os)
{
    *os << "{" << call.id << ", " << call.t << "}";
}

std::vector<Call> gCalls;

int Record(EffectCallRecord* call)
{
    gCalls.push_back({call->id, call->t});
    return 1;
}

int gMessageCalls = 0;
int CountMessage(TMEffect*)
{
    ++gMessageCalls;
    return 1;
}

TimerControlRecord Control(uint32_t kind, int32_t id, float start, float end, EffectFunction function = &Record)
{
    TimerControlRecord control;
    control.kind = kind | (function ? TimerControlRecord::kHasFunction : 0);
    control.id = id;
    control.startTime = start;
    control.endTime = end;
    control.function = function;
    return control;
}

TimerSetupRecord SetupFor(float duration, int32_t type, int32_t direction = TMTimer::Forward, bool noCatchUp = false)
{
    TimerSetupRecord setup;
    setup.flags = TimerSetupRecord::kDuration | TimerSetupRecord::kType | TimerSetupRecord::kDirection;
    setup.extra = noCatchUp ? TimerSetupRecord::kNoCatchUp : 0;
    setup.duration = duration;
    setup.type = type;
    setup.direction = direction;
    setup.running = true;
    return setup;
}

/// Steps the timer n times by dt and returns the calls made.
std::vector<Call> Steps(TMTimer& timer, int n, double dt)
{
    gCalls.clear();
    for (int i = 0; i < n; ++i)
        timer.Update(dt);
    return gCalls;
}

TEST(TMTimer, RangesCallBeginInsideAndEndInEachDirection)
{
    struct Case {
        const char* name;
        int32_t type;
        int32_t direction;
        int steps;
        std::vector<Call> calls;
    };
    // Range 0.25..0.75 (id 1) stepped by 0.25: begin and end come once each, inside calls carry the progress.
    const Case kCases[] = {
        {"forward: begin t 0, end t 1", TMTimer::Usual, TMTimer::Forward, 5, {{1, 0}, {1, 0}, {1, 0.5f}, {1, 1}}},
        {"backward: begin t 1, end t 0", TMTimer::Usual, TMTimer::Backward, 5, {{1, 1}, {1, 1}, {1, 0.5f}, {1, 0}}},
        {"ping-pong runs back with t 1 first, then forward again",
         TMTimer::PingPong,
         TMTimer::Forward,
         9,
         {{1, 0}, {1, 0}, {1, 0.5f}, {1, 1}, {1, 1}, {1, 1}, {1, 0.5f}, {1, 0}, {1, 0}, {1, 0}}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TMTimer timer(nullptr);
        timer.AddControl(Control(2, 1, 0.25f, 0.75f));
        timer.Setup(SetupFor(1.0f, c.type, c.direction));
        EXPECT_EQ(Steps(timer, c.steps, 0.25), c.calls);
    }

    TMTimer range(nullptr);
    range.AddControl(Control(2, 1, 0.25f, 0.5f));
    range.Setup(SetupFor(1.0f, TMTimer::Usual));
    EXPECT_EQ(Steps(range, 1, 0.75), (std::vector<Call>{{1, 0}, {1, 1}})) << "a range inside one step";
}

TEST(TMTimer, PingPongTurnsAtBothEnds)
{
    TMTimer timer(nullptr);
    timer.Setup(SetupFor(1.0f, TMTimer::PingPong));
    timer.Update(0.75);
    timer.Update(0.5);
    EXPECT_DOUBLE_EQ(timer.GetClock(), 0.75);
    EXPECT_FALSE(timer.IsPingForward());
    timer.Update(1.0);
    EXPECT_DOUBLE_EQ(timer.GetClock(), 0.25);
    EXPECT_TRUE(timer.IsPingForward());
    timer.Restart();
    EXPECT_TRUE(timer.IsPingForward());
    EXPECT_FALSE(timer.IsFinished());
}

TEST(TMTimer, ALongFrameStepsEveryWholeCycle)
{
    struct Case {
        const char* name;
        bool noCatchUp;
        size_t callsPerPoint;
        double clock;
    };
    const Case kCases[] = {{"catching up", false, 3, 0.5}, {"no catch-up", true, 1, 0.5}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TMTimer timer(nullptr);
        timer.AddControl(Control(1, 1, 0.25f, 0));
        timer.AddControl(Control(1, 2, 0.5f, 0));
        timer.Setup(SetupFor(1.0f, TMTimer::Cycle, TMTimer::Forward, c.noCatchUp));
        const std::vector<Call> calls = Steps(timer, 1, 2.5);
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& x) { return x.id == 1; }),
                  static_cast<long>(c.callsPerPoint));
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& x) { return x.id == 2; }),
                  static_cast<long>(c.callsPerPoint));
        EXPECT_DOUBLE_EQ(timer.GetClock(), c.clock);
    }
}

TEST(TMTimer, WholeCyclesWithoutADueControlPassAtOnceAndLeaveTheSameState)
{
    // A timer with a due control steps every cycle; one without passes them, yet both end alike.
    const struct {
        const char* name;
        int32_t type;
        double dt;
    } cases[] = {
        {"cycle", TMTimer::Cycle, 10.3},
        {"ping-pong, an even count", TMTimer::PingPong, 10.3},
        {"ping-pong, an odd count", TMTimer::PingPong, 10.55},
        {"ping-pong, a whole number of cycles", TMTimer::PingPong, 10.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMTimer stepped(nullptr);
        stepped.AddControl(Control(1, 1, 0.1f, 0));
        TMTimer passed(nullptr);
        for (TMTimer* timer : {&stepped, &passed}) {
            timer->Setup(SetupFor(0.25f, c.type));
            timer->Update(0.1);
            timer->Update(c.dt);
        }
        EXPECT_GT(stepped.GetCyclesStepped(), 30);
        EXPECT_LE(passed.GetCyclesStepped(), 3);
        EXPECT_NEAR(passed.GetClock(), stepped.GetClock(), 1e-9);
        EXPECT_EQ(passed.IsPingForward(), stepped.IsPingForward());
    }
}

TEST(TMTimer, ATinyDurationStepsAtMostAThousandCyclesPerUpdate)
{
    // A duration of 1e-10 s: one 16 ms update holds 160 million cycles.
    const struct {
        const char* name;
        bool control;
        bool noCatchUp;
        int maxCycles;
        size_t maxCalls;
    } cases[] = {
        {"no control", false, false, 3, 0},
        {"no catch-up", true, true, 0, 1},
        {"a point control", true, false, TMTimer::kMaxCatchUpCycles + 3, TMTimer::kMaxCatchUpCycles + 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMTimer timer(nullptr);
        if (c.control)
            timer.AddControl(Control(1, 1, 0.0f, 0));
        timer.Setup(SetupFor(1e-10f, TMTimer::Cycle, TMTimer::Forward, c.noCatchUp));
        const std::vector<Call> calls = Steps(timer, 1, 0.016);
        EXPECT_LE(timer.GetCyclesStepped(), c.maxCycles);
        EXPECT_LE(calls.size(), c.maxCalls);
        EXPECT_TRUE(timer.IsRunning());
        EXPECT_LE(timer.GetClock(), 1e-10 + 1e-15);
    }
}

TEST(TMTimer, AUsualTimerFinishesOnceAtItsEnd)
{
    TMTimer timer(nullptr);
    timer.AddControl(Control(1, 1, 1.0f, 0));
    timer.Setup(SetupFor(1.0f, TMTimer::Usual));
    EXPECT_EQ(Steps(timer, 1, 3.5).size(), 2u)
        << "the point at the end acts on reaching it and on passing it, and not again past the end";
    EXPECT_TRUE(timer.IsFinished());
}

TEST(TMTimer, ControlsWithoutAFunctionStillTrackTheirRange)
{
    TMTimer timer(nullptr);
    timer.AddControl(Control(2, 1, 0.25f, 0.75f, nullptr));
    TimerControlRecord dropped = Control(1, 2, 0.0f, 0.0f);
    dropped.kind = 1; // a function given without its flag is not kept
    timer.AddControl(dropped);
    timer.Setup(SetupFor(1.0f, TMTimer::Usual));
    EXPECT_TRUE(Steps(timer, 2, 0.25).empty());
    EXPECT_TRUE(timer.GetControls().front().inRange);
    EXPECT_EQ(timer.GetControls().back().function, nullptr);
    EXPECT_EQ(timer.GetControls().back().kind, 1u);
    Steps(timer, 1, 0.25);
    EXPECT_FALSE(timer.GetControls().front().inRange);
    EXPECT_TRUE(timer.RemoveControl(2));
    EXPECT_FALSE(timer.RemoveControl(2));
    EXPECT_FALSE(timer.SetControlActive(9, false));
}

TEST(TMTimer, SetupRefusesToRunWithoutADuration)
{
    TMTimer timer(nullptr);
    timer.Setup(SetupFor(0.0f, TMTimer::Cycle));
    EXPECT_FALSE(timer.IsRunning());
    timer.Setup(SetupFor(2.0f, TMTimer::Usual, TMTimer::Backward));
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_DOUBLE_EQ(timer.GetClock(), 2.0) << "a backward timer starts at its end";
}

TMTimer* gSelfStopping = nullptr;
int StopOwnTimer(EffectCallRecord* call)
{
    gCalls.push_back({call->id, call->t});
    gSelfStopping->SetRunning(false);
    gSelfStopping->Restart();
    return 1;
}

TEST(TMTimer, AFunctionMayStopItsOwnTimerDuringAnEvaluation)
{
    TMTimer timer(nullptr);
    gSelfStopping = &timer;
    timer.AddControl(Control(1, 1, 0.5f, 0, &StopOwnTimer));
    timer.AddControl(Control(1, 2, 0.5f, 0));
    timer.AddControl(Control(1, 3, 0.75f, 0));
    timer.Setup(SetupFor(1.0f, TMTimer::Cycle));
    EXPECT_EQ(Steps(timer, 1, 2.5), (std::vector<Call>{{1, 1}, {2, 1}, {3, 1}}))
        << "the evaluation in progress ends; no further cycle runs";
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_DOUBLE_EQ(timer.GetClock(), 0.0);
    gSelfStopping = nullptr;
}

TEST(TMTimer, ARestartEntersAnInterruptedRangeAgain)
{
    TMTimer timer(nullptr);
    timer.AddControl(Control(2, 1, 0.25f, 0.75f));
    timer.Setup(SetupFor(1.0f, TMTimer::Usual));
    Steps(timer, 2, 0.25);
    timer.SetRunning(false); // "stop" inside the range
    timer.Restart();
    timer.SetRunning(true); // "start"
    EXPECT_EQ(Steps(timer, 1, 0.25), (std::vector<Call>{{1, 0}, {1, 0}})) << "the begin call comes again";
}

int gReentered = 0;
int RestartOwnEffect(EffectCallRecord* call)
{
    gCalls.push_back({call->id, call->t});
    if (gReentered++ == 0)
        call->owner->SendMessage("again"); // restarts this timer and evaluates it while its calls run
    return 1;
}

TEST(TMEffect, AFunctionMayRestartItsOwnTimerThroughAMessage)
{
    TMEffect effect;
    effect.AddTimer(0);
    TMTimer* timer = effect.GetTimer(0);
    TimerControlRecord first = Control(1, 1, 0.5f, 0, &RestartOwnEffect);
    first.owner = &effect;
    timer->AddControl(first);
    timer->AddControl(Control(1, 2, 0.5f, 0));
    timer->AddControl(Control(1, 3, 0.0f, 0));
    timer->Setup(SetupFor(1.0f, TMTimer::Usual));
    effect.AddMessage("again", {timer, TMEffect::Start, true, nullptr});
    gReentered = 0;
    gCalls.clear();
    effect.Update(0.5f);
    EXPECT_EQ(gCalls, (std::vector<Call>{{1, 0.5f}, {3, 0.0f}, {2, 0.5f}, {3, 0.5f}}))
        << "the nested evaluation runs its own calls; the outer list runs on undisturbed";
    EXPECT_DOUBLE_EQ(timer->GetClock(), 0.0);
}

class TMEffectTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        RegisterEffectFunction("TestRecord", &Record);
        RegisterEffectFunction("TestCountMessage", &CountMessage);
        gCalls.clear();
        gMessageCalls = 0;
        WriteXml(mFolder / "cfg" / "effect.xml", R"(<effects>
  <effect name="fade">
    <timers>
      <timer name="show" type="usual" ftime="1" direction="forward">
        <control id="1" type="point" starttime="0" function="TestRecord" active="true"/>
        <control id="2" type="point" starttime="0" function="NoSuchFunction"/>
        <control id="3" type="point" starttime="0" function="TestCountMessage"/>
        <control id="4" type="range" starttime="0.5" endtime="1" function="TestRecord" active="0"/>
      </timer>
      <timer name="forever" ftime="-1" type="cycle">
        <control id="5" type="point" starttime="500" function="TestRecord"/>
      </timer>
    </timers>
    <messages>
      <message name="onshow" timer_id="show" command="start"/>
      <message name="onshow" timer_id="TestCountMessage" command="call"/>
      <message name="onshow" timer_id="TestRecord" command="call"/>
      <message name="onshow" timer_id="Nope" command="call"/>
      <message name="halt" timer_id="show" command="stop"/>
      <message name="cont" timer_id="show" command="resume"/>
      <message name="hold" timer_id="show" command="pause"/>
      <message name="endless" timer_id="forever" command="start"/>
      <message name="broken" timer_id="missing" command="start"/>
    </messages>
  </effect>
</effects>)");
        fs::current_path(mFolder);
        ASSERT_TRUE(LoadEffectLibrary());
    }
    void TearDown() override
    {
        FreeEffectLibrary();
        EngineFixture::TearDown();
    }
};

TEST_F(TMEffectTest, OnShowReachesFunctionsByNameInTheirOwnShape)
{
    std::unique_ptr<TMEffect> effect(CreateEffect("fade"));
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(CreateEffect("unknown"), nullptr);

    EXPECT_TRUE(effect->SendMessage("onshow"));
    EXPECT_EQ(gCalls, (std::vector<Call>{{1, 0}})) << "the point at 0 acts in the message's own evaluation";
    EXPECT_EQ(gMessageCalls, 1) << "the call command runs; names of the wrong shape or unknown call nothing";
    EXPECT_TRUE(LogHas("unknown function \"NoSuchFunction\""));
    EXPECT_TRUE(LogHas("\"TestCountMessage\" is a message function"));
    EXPECT_TRUE(LogHas("\"TestRecord\" is a control function"));
    EXPECT_TRUE(LogHas("unknown function \"Nope\""));
    EXPECT_TRUE(LogHas("names no timer \"missing\""));
    EXPECT_FALSE(effect->HasMessage("broken")) << "a command naming no timer is dropped";

    gCalls.clear();
    effect->Update(0.75f);
    EXPECT_EQ(gCalls, (std::vector<Call>{{1, 0.75f}}))
        << "the point at 0 acts again in the first frame; the inactive range never acts";

    EXPECT_FALSE(effect->SendMessage("nothing"));
    effect->SetMessageEnabled("onshow", false);
    EXPECT_FALSE(effect->IsMessageEnabled("onshow"));
    EXPECT_TRUE(effect->SendMessage("onshow")) << "a disabled message is still known";
    EXPECT_EQ(gMessageCalls, 1);
    EXPECT_FALSE(effect->IsMessageEnabled("nothing"));
    EXPECT_FALSE(effect->AddTimer(0));
    EXPECT_TRUE(effect->AddTimer(10));
    ASSERT_NE(effect->GetTimer(10), nullptr);
}

TEST_F(TMEffectTest, StopReturnsToTheStartAndResumeContinues)
{
    std::unique_ptr<TMEffect> effect(CreateEffect("fade"));
    TMTimer* timer = effect->GetTimer(0);
    effect->SendMessage("onshow");
    effect->Update(0.5f);
    EXPECT_DOUBLE_EQ(timer->GetClock(), 0.5);
    effect->SendMessage("hold");
    effect->Update(0.25f);
    EXPECT_DOUBLE_EQ(timer->GetClock(), 0.5) << "paused";
    effect->SendMessage("cont");
    effect->Update(0.25f);
    EXPECT_DOUBLE_EQ(timer->GetClock(), 0.75);
    effect->SendMessage("halt");
    EXPECT_FALSE(timer->IsRunning());
    EXPECT_DOUBLE_EQ(timer->GetClock(), 0.0);
    effect->Update(0.25f);
    EXPECT_DOUBLE_EQ(timer->GetClock(), 0.0);
    effect->SendMessage("cont");
    effect->Update(0.25f);
    EXPECT_DOUBLE_EQ(timer->GetClock(), 0.25) << "resumed from the start";

    effect->SetEnabled(false);
    effect->Update(0.25f);
    EXPECT_DOUBLE_EQ(timer->GetClock(), 0.25) << "a disabled effect does not advance";
}

TEST_F(TMEffectTest, AnEndlessTimerTakesALargeStepWhole)
{
    std::unique_ptr<TMEffect> effect(CreateEffect("fade"));
    TMTimer* timer = effect->GetTimer(1);
    EXPECT_FLOAT_EQ(timer->GetDuration(), -1.0f);
    effect->SendMessage("endless");
    gCalls.clear();
    effect->Update(1000.0f);
    EXPECT_DOUBLE_EQ(timer->GetClock(), 1000.0);
    EXPECT_EQ(gCalls, (std::vector<Call>{{5, 1000.0f}}));
}

} // namespace
