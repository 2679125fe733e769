// The level's event queue: the fixed list handed out by time in file order, the generated time points of the money
// stages with their goals, the pool of released records, and level files that name what they do not define.
#include "engine/EventQueue.h"

#include "engine/GameClock.h"
#include "platform/log/Log.h"
#include "shell/Random15.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

class EventQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Pyxo::SeedRand15(7);
        mPreviousSink = Platform::SetLogSink(
            [this](Platform::LogLevel, const char*, const std::string& text) { mLog.push_back(text); });
    }
    void TearDown() override
    {
        mQueue.Clear();
        gFrameDelta = 0.0f;
        Platform::SetLogSink(mPreviousSink);
    }

    void Load(int mode, const char* level)
    {
        ASSERT_TRUE(mDocument.load_string(level));
        mQueue.mMode = mode;
        mQueue.Load(mDocument.child("level"));
        mQueue.Start();
    }

    void RunFor(float seconds)
    {
        gFrameDelta = seconds;
        mQueue.Advance();
        gFrameDelta = 0.0f;
    }

    [[nodiscard]] bool LogHas(const std::string& text) const
    {
        for (const std::string& line : mLog) {
            if (line.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    pugi::xml_document mDocument;
    EventQueue mQueue;
    std::vector<std::string> mLog;
    Platform::LogSink mPreviousSink;
};

TEST_F(EventQueueTest, TheFixedListIsHandedOutInFileOrderAsTimeComes)
{
    Load(EventQueue::kModeFixed, R"(<level><events_queue>
        <time_point time="5" type="client" event="arrive"><param name="tea"/><param name="cake"/></time_point>
        <time_point time="3" type="vip"/>
        <time_point time="8"/>
    </events_queue></level>)");
    RunFor(4.9f);
    EXPECT_EQ(mQueue.PeekDue(), nullptr);
    RunFor(0.1f);
    TimePoint* first = mQueue.PeekDue();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->type, "client");
    EXPECT_EQ(first->event, "arrive");
    EXPECT_EQ(first->params, (std::vector<std::string>{"tea", "cake"}));
    EXPECT_EQ(mQueue.TakeDue(), first);
    TimePoint* second = mQueue.PeekDue();
    ASSERT_NE(second, nullptr) << "an earlier time after a later one is due at once";
    EXPECT_EQ(second->type, "vip");
    mQueue.TakeDue();
    EXPECT_FLOAT_EQ(mQueue.GetProgress(), 2.0f / 3.0f);
    EXPECT_EQ(mQueue.PeekDue(), nullptr);
    RunFor(3.0f);
    ASSERT_NE(mQueue.PeekDue(), nullptr);
    EXPECT_TRUE(mQueue.PeekDue()->type.empty());
    mQueue.TakeDue();
    EXPECT_TRUE(mQueue.IsFinished());
    EXPECT_FLOAT_EQ(mQueue.GetProgress(), 1.0f);
    mQueue.Recycle(first);
    EXPECT_EQ(gTimePointPool.Size(), 0u) << "the fixed list keeps its records";
    gTimePointPool.Push(first);
    EXPECT_EQ(gTimePointPool.Size(), 0u) << "nor does the game's release take them from it";

    EventQueue empty;
    empty.mMode = EventQueue::kModeFixed;
    empty.Load(pugi::xml_node());
    empty.Start();
    EXPECT_TRUE(empty.IsFinished());
    EXPECT_EQ(empty.GetProgress(), 0.0f);
}

constexpr const char* kSurvivalLevel = R"(<level><events_queue>
    <templates>
        <order_template name="three">
            <stand prob="1">
                <order_list prob="1"><order name="tea" prob="1"/></order_list>
                <order_list prob="1"><order name="cake" prob="1"/></order_list>
                <order_list prob="1"><order name="pie" prob="1"/></order_list>
            </stand>
            <sit prob="0"><order_list prob="1"><order name="sit" prob="1"/></order_list></sit>
        </order_template>
    </templates>
    <stages>
        <stage points="100">
            <time_point_template type="client" event="come" prob="1" time_min="7" time_max="7" order_template="three"/>
        </stage>
        <stage points="250">
            <time_point_template type="late" prob="1" time_min="2" time_max="2" order_template="three"/>
        </stage>
    </stages>
</events_queue></level>)";

TEST_F(EventQueueTest, GeneratedTimePointsFollowTheClockAndTheStages)
{
    Load(EventQueue::kModeGenerated, kSurvivalLevel);
    EXPECT_EQ(mQueue.GetMoneyGoal(), 100);
    RunFor(40.0f);
    TimePoint* taken = mQueue.PeekDue();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->type, "client");
    EXPECT_EQ(taken->event, "come");
    EXPECT_EQ(mQueue.TakeDue(), taken);
    ASSERT_EQ(mQueue.GetTimePointCount(), 1u);
    RunFor(6.9f);
    EXPECT_EQ(mQueue.PeekDue(), nullptr) << "the next one is due 7 s after the take";
    RunFor(0.1f);
    ASSERT_NE(mQueue.PeekDue(), nullptr);
    EXPECT_FALSE(mQueue.IsFinished());

    // The game releases the record it took: reused for the next time point, never deleted twice.
    mQueue.Recycle(taken);
    gTimePointPool.Push(taken);
    EXPECT_EQ(gTimePointPool.Size(), 1u);
    TimePoint* next = mQueue.TakeDue();
    EXPECT_EQ(next->time, 47.0f);
    EXPECT_EQ(gTimePointPool.Size(), 0u);
    gTimePointPool.Push(next);

    const int goals[] = {250, 400, 550, 700};
    for (int goal : goals) {
        mQueue.AdvanceMoneyGoal();
        EXPECT_EQ(mQueue.GetMoneyGoal(), goal);
    }
    gTimePointPool.Push(mQueue.TakeDue()); // generated before the stage changed
    TimePoint* late = mQueue.TakeDue();
    EXPECT_EQ(late->type, "late") << "later time points come from the last stage";
    gTimePointPool.Push(late);
}

TEST_F(EventQueueTest, MoneyGoalsPastTheLastStageStopAtTheLimitOfThirtyTwoBits)
{
    const struct {
        const char* name;
        const char* first;
        const char* last;
        int32_t goal;
    } cases[] = {
        {"rising", "0", "2000000000", INT32_MAX},
        {"falling", "0", "-2000000000", INT32_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string level = std::string(R"(<level><events_queue><stages><stage points=")") + c.first +
                                  R"("/><stage points=")" + c.last + R"("/></stages></events_queue></level>)";
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(level.c_str()));
        EventQueue queue;
        queue.mMode = EventQueue::kModeGenerated;
        queue.Load(document.child("level"));
        queue.Start();
        queue.AdvanceMoneyGoal(); // to the last stage
        for (int i = 0; i < 3; ++i)
            queue.AdvanceMoneyGoal();
        EXPECT_EQ(queue.GetMoneyGoal(), c.goal);
    }
}

TEST_F(EventQueueTest, StandOrderListsGiveOneTwoOrThreeOrdersAlike)
{
    Load(EventQueue::kModeGenerated, kSurvivalLevel);
    std::map<size_t, int> counts;
    const int draws = 3000;
    for (int i = 0; i < draws; ++i) {
        TimePoint* point = mQueue.TakeDue();
        ASSERT_NE(point, nullptr);
        const std::vector<std::string> stand{"tea", "cake", "pie"};
        ASSERT_GE(point->params.size(), 1u);
        EXPECT_EQ(point->params, std::vector<std::string>(stand.begin(), stand.begin() + long(point->params.size())))
            << "stand orders in list order, no sit order with a sit weight of 0";
        ++counts[point->params.size()];
        gTimePointPool.Push(point);
    }
    for (size_t n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        EXPECT_GT(counts[n], draws / 4);
        EXPECT_LT(counts[n], draws * 5 / 12);
    }
}

TEST_F(EventQueueTest, NamesTheLevelDoesNotDefineAreSkipped)
{
    Load(EventQueue::kModeGenerated, R"(<level><events_queue>
        <templates><order_template name="one"><stand prob="1">
            <order_list prob="1"><order name="tea" prob="1"/></order_list></stand></order_template></templates>
        <stages><stage points="50">
            <time_point_template type="ghost" prob="5" time_min="1" time_max="1" order_template="nope"/>
            <time_point_template type="client" prob="1" time_min="1" time_max="1" order_template="one"/>
        </stage></stages>
    </events_queue></level>)");
    EXPECT_TRUE(LogHas("nope"));
    for (int i = 0; i < 50; ++i) {
        TimePoint* point = mQueue.TakeDue();
        ASSERT_NE(point, nullptr);
        EXPECT_EQ(point->type, "client");
        gTimePointPool.Push(point);
    }

    mQueue.Clear();
    mLog.clear();
    Load(EventQueue::kModeGenerated, "<level/>");
    EXPECT_TRUE(LogHas("events_queue"));
    EXPECT_EQ(mQueue.PeekDue(), nullptr);
    EXPECT_EQ(mQueue.TakeDue(), nullptr) << "no stage: nothing is generated";
    EXPECT_EQ(mQueue.GetMoneyGoal(), 0);
}

/// Seeds the shared generator so that its next draw is `value`.
void SeedForNextDraw(int value)
{
    for (uint32_t seed = 0;; ++seed) {
        Pyxo::SeedRand15(seed);
        if (Pyxo::Rand15() == value) {
            Pyxo::SeedRand15(seed);
            return;
        }
    }
}

TEST_F(EventQueueTest, ADrawAtTheUpperBoundTakesTheLastWeightedEntry)
{
    SeedForNextDraw(Pyxo::Random15::kMax);
    Load(EventQueue::kModeGenerated, R"(<level><events_queue>
        <templates><order_template name="one"><stand prob="1">
            <order_list prob="1"><order name="tea" prob="1"/></order_list></stand></order_template></templates>
        <stages><stage points="50">
            <time_point_template type="first" prob="1" time_min="4" time_max="4" order_template="one"/>
            <time_point_template type="second" prob="2" time_min="4" time_max="4" order_template="one"/>
            <time_point_template type="unweighted" prob="0" time_min="4" time_max="4" order_template="one"/>
        </stage></stages>
    </events_queue></level>)");
    ASSERT_EQ(mQueue.GetTimePointCount(), 1u);
    EXPECT_EQ(mQueue.PeekDue(), nullptr) << "not an empty time point due at once";
    RunFor(4.0f);
    ASSERT_NE(mQueue.PeekDue(), nullptr);
    EXPECT_EQ(mQueue.PeekDue()->type, "second");
}

} // namespace
