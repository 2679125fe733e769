#include "engine/EventQueue.h"

#include "engine/EngineLog.h"
#include "engine/EngineRandom.h"
#include "engine/GameClock.h"
#include "engine/XmlConfig.h"

#include <algorithm>
#include <cstdint>
#include <utility>

TimePointPool gTimePointPool;

void TimePoint::Reset()
{
    time = 0.0f;
    type.clear();
    event.clear();
    params.clear();
}

// ---- Pool --------------------------------------------------------------------------------------------------------

TimePointPool::~TimePointPool() = default;

void TimePointPool::Push(TimePoint* point)
{
    if (!point || point->mPooled || point->mListed)
        return;
    point->mPooled = true;
    mRecords.emplace_back(point);
}

TimePoint* TimePointPool::Take()
{
    if (mRecords.empty())
        return nullptr;
    TimePoint* point = mRecords.front().release();
    mRecords.pop_front();
    point->mPooled = false;
    return point;
}

void TimePointPool::Clear()
{
    mRecords.clear();
}

// ---- Loading -----------------------------------------------------------------------------------------------------

namespace {

std::string NarrowAttr(pugi::xml_node node, const char* name)
{
    std::string value;
    XmlGetAttrString(node, name, value);
    return value;
}

float FloatAttr(pugi::xml_node node, const char* name)
{
    float value = 0.0f;
    XmlGetAttrFloat(node, name, value);
    return value;
}

} // namespace

EventQueue::~EventQueue()
{
    Clear();
}

void EventQueue::Load(pugi::xml_node level)
{
    const pugi::xml_node queue = XmlSelectNode(level, "events_queue");
    if (mMode == kModeFixed)
        LoadFixed(queue);
    else if (mMode == kModeGenerated)
        LoadGenerated(queue);
}

void EventQueue::LoadFixed(pugi::xml_node queue)
{
    XmlForEach(queue, "time_point", [this](pugi::xml_node node) {
        auto point = std::make_unique<TimePoint>();
        XmlGetAttrFloat(node, "time", point->time);
        XmlGetAttrString(node, "type", point->type);
        XmlGetAttrString(node, "event", point->event);
        XmlForEach(node, "param", [&point](pugi::xml_node param) {
            std::string name;
            if (XmlGetAttrString(param, "name", name))
                point->params.push_back(name);
            return true;
        });
        point->mListed = true;
        mTimePoints.push_back(std::move(point));
        return true;
    });
    mCursor = 0;
}

void EventQueue::ReadOrderSide(pugi::xml_node side, float& prob, float& total, std::vector<OrderList>& lists)
{
    XmlGetAttrFloat(side, "prob", prob);
    XmlForEach(side, "order_list", [&](pugi::xml_node node) {
        OrderList list;
        XmlGetAttrFloat(node, "prob", list.prob);
        XmlForEach(node, "order", [&list](pugi::xml_node order) {
            WeightedName entry{FloatAttr(order, "prob"), NarrowAttr(order, "name")};
            list.totalWeight += entry.prob;
            list.orders.push_back(std::move(entry));
            return true;
        });
        total += list.prob;
        lists.push_back(std::move(list));
        return true;
    });
}

void EventQueue::LoadGenerated(pugi::xml_node queue)
{
    if (!queue)
        EngineContentWarning("level without \"events_queue\": no clients are generated");
    // All templates first: the stages name them.
    XmlForEach(queue, "templates/order_template", [this](pugi::xml_node node) {
        auto orders = std::make_unique<OrderTemplate>();
        orders->name = NarrowAttr(node, "name");
        ReadOrderSide(XmlSelectNode(node, "stand"), orders->standProb, orders->standTotal, orders->stand);
        ReadOrderSide(XmlSelectNode(node, "sit"), orders->sitProb, orders->sitTotal, orders->sit);
        const std::string name = orders->name;
        mTemplates[name] = std::move(orders);
        return true;
    });
    XmlForEach(queue, "stages/stage", [this](pugi::xml_node node) {
        Stage stage;
        XmlGetAttrInt(node, "points", stage.points);
        XmlForEach(node, "time_point_template", [this, &stage](pugi::xml_node entry) {
            TimePointTemplate point;
            point.prob = FloatAttr(entry, "prob");
            point.type = NarrowAttr(entry, "type");
            point.event = NarrowAttr(entry, "event");
            point.timeMin = FloatAttr(entry, "time_min");
            point.timeMax = FloatAttr(entry, "time_max");
            const std::string orders = NarrowAttr(entry, "order_template");
            const auto found = mTemplates.find(orders);
            if (found == mTemplates.end()) {
                EngineContentWarning("time_point_template of type <%s>: no order template <%s>; skipped",
                                     point.type.c_str(), orders.c_str());
                return true;
            }
            point.orderTemplate = found->second.get();
            stage.totalWeight += point.prob;
            stage.templates.push_back(std::move(point));
            return true;
        });
        mStages.push_back(std::move(stage));
        return true;
    });
    mStageCursor = 0;
    Generate();
    mPreviousGoal = 0;
    mMoneyGoal = mStages.empty() ? 0 : mStages.front().points;
}

// ---- Running -----------------------------------------------------------------------------------------------------

void EventQueue::Start()
{
    gTimePointPool.Clear();
    mClock = 0.0f;
    mCursor = 0;
    mDispatched = 0;
    mStageCursor = 0;
}

void EventQueue::Advance()
{
    mClock += gFrameDelta;
}

TimePoint* EventQueue::PeekDue() const
{
    if (mCursor >= mTimePoints.size())
        return nullptr;
    TimePoint* point = mTimePoints[mCursor].get();
    return point->time <= mClock ? point : nullptr;
}

TimePoint* EventQueue::TakeDue()
{
    if (mMode == kModeGenerated) {
        TimePoint* taken = nullptr;
        if (!mTimePoints.empty()) {
            taken = mTimePoints.front().release();
            taken->mListed = false;
            mTimePoints.erase(mTimePoints.begin());
        }
        Generate();
        mCursor = 0;
        return taken;
    }
    if (mCursor >= mTimePoints.size())
        return nullptr;
    TimePoint* point = mTimePoints[mCursor].get();
    ++mCursor;
    ++mDispatched;
    return point;
}

float EventQueue::GetProgress() const
{
    return mTimePoints.empty() ? 0.0f : float(mDispatched) / float(mTimePoints.size());
}

void EventQueue::AdvanceMoneyGoal()
{
    if (mStageCursor + 1 < mStages.size()) {
        ++mStageCursor;
        mPreviousGoal = mMoneyGoal;
        mMoneyGoal = mStages[mStageCursor].points;
        return;
    }
    // After the last stage the goals go on in the last stage's step, and its templates keep generating. Goals of
    // any size come from the level file: the step is taken wide and the goal held to 32 bits.
    const int64_t step = int64_t{mMoneyGoal} - mPreviousGoal;
    mPreviousGoal = mMoneyGoal;
    mMoneyGoal = static_cast<int32_t>(std::clamp<int64_t>(mMoneyGoal + step, INT32_MIN, INT32_MAX));
}

void EventQueue::Recycle(TimePoint* point)
{
    if (mMode == kModeGenerated)
        gTimePointPool.Push(point);
}

void EventQueue::Clear()
{
    mTimePoints.clear();
    gTimePointPool.Clear();
    mStages.clear();
    mTemplates.clear();
    mCursor = 0;
    mDispatched = 0;
    mClock = 0.0f;
    mStageCursor = 0;
    mPreviousGoal = 0;
    mMoneyGoal = 0;
}

// ---- Generation --------------------------------------------------------------------------------------------------

namespace {

/// The entry that a draw in [0, total] picks: the first whose weight exceeds what is left of the draw. The draw
/// includes its upper bound, so one that passes every entry takes the last entry of non-zero weight. -1 when no
/// entry has weight.
template <class Entries>
int PickWeighted(const Entries& entries, float total)
{
    float left = RandFloatRange(0.0f, total);
    int last = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].prob > left)
            return int(i);
        left -= entries[i].prob;
        if (entries[i].prob > 0.0f)
            last = int(i);
    }
    return last;
}

} // namespace

void EventQueue::Generate()
{
    if (mStageCursor >= mStages.size())
        return; // no stage to generate from
    TimePoint* point = gTimePointPool.Take();
    std::unique_ptr<TimePoint> record(point ? point : new TimePoint());
    Fill(*record, mStages[mStageCursor]);
    record->time += mClock;
    record->mListed = true;
    mTimePoints.push_back(std::move(record));
}

void EventQueue::Fill(TimePoint& point, const Stage& stage) const
{
    point.Reset();
    const int chosen = PickWeighted(stage.templates, stage.totalWeight);
    if (chosen < 0)
        return; // a stage without weight: an empty time point
    const TimePointTemplate& entry = stage.templates[size_t(chosen)];
    point.event = entry.event;
    point.type = entry.type;
    point.time = RandFloatRange(entry.timeMin, entry.timeMax);

    const OrderTemplate& orders = *entry.orderTemplate;
    const float side = RandFloatRange(0.0f, orders.standProb + orders.sitProb);
    AddOrders(orders.stand, orders.standTotal, point);
    if (side > orders.standProb)
        AddOrders(orders.sit, orders.sitTotal, point);
}

void EventQueue::AddOrders(const std::vector<OrderList>& lists, float total, TimePoint& point)
{
    // The first list always adds an order when the draw is above 0; each later one while the running sum of the
    // lists' weights stays below the draw.
    float left = RandFloatRange(0.0f, total);
    for (const OrderList& list : lists) {
        if (!(left > 0.0f))
            break;
        const int chosen = PickWeighted(list.orders, list.totalWeight);
        if (chosen >= 0)
            point.params.push_back(list.orders[size_t(chosen)].name);
        left -= list.prob;
    }
}
