#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

/// One event of a level handed to the game: when it is due, the kind of client and what it orders.
struct TimePoint {
    int32_t refCount = 0; // references the game holds
    float time = 0.0f;    // seconds of queue time
    std::string type;
    std::string event;
    std::vector<std::string> params; // order names, in order

    void Reset();

private:
    friend class EventQueue;
    friend class TimePointPool;
    bool mListed = false; // owned by a queue's list
    bool mPooled = false; // owned by the pool
};

/// Released time points kept for reuse by generated queues, so that a long level allocates few records. Owns what
/// it holds. Main thread.
class TimePointPool {
public:
    TimePointPool() = default;
    ~TimePointPool();
    TimePointPool(const TimePointPool&) = delete;
    TimePointPool& operator=(const TimePointPool&) = delete;

    /// Takes ownership of the record. A record already in the pool, or still in a queue's list, is left where it
    /// is: the queue's recycling and the game's release may both hand in the same record.
    void Push(TimePoint* point);
    /// The oldest record, now the caller's; null when empty.
    [[nodiscard]] TimePoint* Take();
    /// Deletes every record.
    void Clear();
    [[nodiscard]] size_t Size() const { return mRecords.size(); }
    [[nodiscard]] bool Contains(const TimePoint* point) const { return point && point->mPooled; }

private:
    std::deque<std::unique_ptr<TimePoint>> mRecords;
};

/// The engine's one pool.
extern TimePointPool gTimePointPool;

/// When things happen in a level. Mode 1: a fixed list of time points from the level file, handed out in file
/// order as their time comes. Mode 2: one pending time point at a time, generated from the weighted templates of
/// the current money stage, with the stages' money goals (extrapolated after the last). Loaded on the
/// level-loading thread while the board is idle, used on the main thread.
class EventQueue {
public:
    static constexpr int kModeFixed = 1;
    static constexpr int kModeGenerated = 2;

    EventQueue() = default;
    ~EventQueue();
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;

    /// Reads the level element's "events_queue" by mode (set before); any other mode reads nothing.
    void Load(pugi::xml_node level);
    /// Level start: empties the pool, the clock and the cursors.
    void Start();
    /// The clock moves on by the board frame (gFrameDelta).
    void Advance();
    /// The time point under the cursor once it is due; null before, and at the end.
    [[nodiscard]] TimePoint* PeekDue() const;
    /// The game took the due time point: mode 1 moves on; mode 2 hands the pending one over (the caller holds it
    /// and later pushes it to gTimePointPool) and generates the next.
    TimePoint* TakeDue();
    [[nodiscard]] bool IsFinished() const { return mCursor >= mTimePoints.size(); }
    /// Time points taken / all of them; 0 for an empty list.
    [[nodiscard]] float GetProgress() const;
    [[nodiscard]] int32_t GetMoneyGoal() const { return mMoneyGoal; }
    /// The next stage's goal; after the last, the last step again.
    void AdvanceMoneyGoal();
    /// Mode 2: the record goes to gTimePointPool; mode 1: nothing (the list keeps it).
    void Recycle(TimePoint* point);
    /// Deletes templates, stages, the list and the pool's records.
    void Clear();

    [[nodiscard]] float GetClock() const { return mClock; }
    [[nodiscard]] size_t GetTimePointCount() const { return mTimePoints.size(); }

    int32_t mMode = 0;

private:
    struct WeightedName {
        float prob = 0.0f;
        std::string name;
    };
    struct OrderList {
        float prob = 0.0f;
        float totalWeight = 0.0f;
        std::vector<WeightedName> orders;
    };
    struct OrderTemplate {
        std::string name;
        float standProb = 0.0f;
        float standTotal = 0.0f;
        std::vector<OrderList> stand;
        float sitProb = 0.0f;
        float sitTotal = 0.0f;
        std::vector<OrderList> sit;
    };
    struct TimePointTemplate {
        float prob = 0.0f;
        std::string type;
        std::string event;
        float timeMin = 0.0f;
        float timeMax = 0.0f;
        const OrderTemplate* orderTemplate = nullptr; // borrowed from mTemplates
    };
    struct Stage {
        int32_t points = 0;
        float totalWeight = 0.0f;
        std::vector<TimePointTemplate> templates;
    };

    void LoadFixed(pugi::xml_node queue);
    void LoadGenerated(pugi::xml_node queue);
    static void ReadOrderSide(pugi::xml_node side, float& prob, float& total, std::vector<OrderList>& lists);
    /// Appends the next pending time point from the current stage; nothing without one.
    void Generate();
    void Fill(TimePoint& point, const Stage& stage) const;
    static void AddOrders(const std::vector<OrderList>& lists, float total, TimePoint& point);

    std::vector<std::unique_ptr<TimePoint>> mTimePoints;
    size_t mCursor = 0;
    int32_t mDispatched = 0;
    float mClock = 0.0f;
    std::vector<Stage> mStages;
    size_t mStageCursor = 0;
    int32_t mPreviousGoal = 0;
    int32_t mMoneyGoal = 0;
    std::map<std::string, std::unique_ptr<OrderTemplate>> mTemplates;
};
